#!/usr/bin/env bash
# qorv.exe under Wine: its window covers the screen and shows the background
# colour, keys other than Escape change nothing, and Escape ends it with 0.
source "$(dirname "$0")/win32_common.sh"

make_music
start_qorv 500
wait_window 180
check_covers_screen

# The curtains cover the whole view for the first few hundred frames and the
# scene then fills the middle, but the background keeps showing around it:
# wait until at least 1% of the screen has its colour.
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

# Pressed and released, with and without modifiers: none of them may end it.
xdotool key a space Return F1 Left shift+x ctrl+q
sleep 2
is_running || fail "qorv.exe ended with $(cat "$work/rc") after keys other than Escape"
[ -n "$(xdotool search --onlyvisible --name '^qorv$' 2>/dev/null)" ] ||
    fail "the window went away after keys other than Escape"

xdotool key Escape
wait_exit 30
[ "$exit_code" = 0 ] || fail "Escape ended qorv.exe with $exit_code, not 0"
echo "Escape: exit code 0"
