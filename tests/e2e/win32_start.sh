#!/usr/bin/env bash
# qorv.exe under Wine, drawing with llvmpipe: its window covers the screen and
# its first frames show the background colour beside the curtains.
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
