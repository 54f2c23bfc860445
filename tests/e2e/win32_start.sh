#!/usr/bin/env bash
# qorv.exe under Wine, drawing with llvmpipe: its window covers the screen and
# its first frames show the background colour beside the black curtains, and
# the backdrop comes into view beside them.
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

# The backdrop, the scene's first layer (near-black: lit by its black lights,
# the ambient 0.01, (3, 3, 3)), swings into view beside the curtains within
# the first few hundred frames; the curtains still fill the middle in black.
deadline=$((SECONDS + 400))
while :; do
    is_running || fail "qorv.exe ended with $(cat "$work/rc") before the backdrop showed"
    black=$((screen_width * screen_height - $("$xshot" differing 0 0 0 0)))
    backdrop=$((screen_width * screen_height - $("$xshot" differing 3 3 3 1)))
    [ "$backdrop" -ge "$((wanted / 4))" ] && break
    [ "$SECONDS" -ge "$deadline" ] && fail "only $backdrop pixels show the backdrop (3, 3, 3)"
    sleep 1
done
[ "$black" -ge $((screen_width * screen_height / 2)) ] ||
    fail "only $black pixels show the black curtains"
echo "curtains on $black pixels, backdrop on $backdrop"
