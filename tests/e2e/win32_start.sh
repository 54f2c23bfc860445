#!/usr/bin/env bash
# qorv.exe under Wine, drawing with llvmpipe: its window covers the screen and
# its first frames show the background colour beside the black curtains, with
# the near-black backdrop's slivers (lit by its black lights: the ambient
# 0.01, (3, 3, 3)) crossing it.
source "$(dirname "$0")/win32_common.sh"

make_music
start_qorv 500
wait_window 180
check_covers_screen

# The curtains cover the middle of the view from the first frame on; on this
# wide screen the sides stay clear of them and show the background.
wanted=$((screen_width * screen_height / 100))
deadline=$((SECONDS + 300))
count_background
while [ "$background" -lt "$wanted" ]; do
    is_running || fail "qorv.exe ended with $(cat "$work/rc") before the background showed"
    [ "$SECONDS" -ge "$deadline" ] && fail "only $background pixels show the background (51, 26, 0)"
    sleep 0.5
    count_background
done
echo "background (51, 26, 0) on $background of $((screen_width * screen_height)) pixels"

# The same screen: the curtains fill the middle in black, and the backdrop,
# the scene's first layer, shows beside them.
black=$((screen_width * screen_height - $("$xshot" differing 0 0 0 0)))
backdrop=$((screen_width * screen_height - $("$xshot" differing 3 3 3 1)))
[ "$black" -ge $((screen_width * screen_height / 2)) ] ||
    fail "only $black pixels show the black curtains"
[ "$backdrop" -ge "$wanted" ] || fail "only $backdrop pixels show the backdrop (3, 3, 3)"
echo "curtains on $black pixels, backdrop on $backdrop"
