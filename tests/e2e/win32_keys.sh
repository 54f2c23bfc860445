#!/usr/bin/env bash
# qorv.exe under Wine: keys other than Escape change nothing, and Escape ends
# the show with exit code 0.
source "$(dirname "$0")/win32_common.sh"

make_music
start_qorv_for_input 300
wait_window 180
wait_focus 60

# Pressed and released, alone and with modifiers: none of them may end it.
xdotool key a space Return F1 Left shift+x ctrl+q
sleep 2
is_running || fail "qorv.exe ended with $(cat "$work/rc") after keys other than Escape"
[ -n "$(xdotool search --onlyvisible --name '^qorv$' 2>/dev/null)" ] ||
    fail "the window went away after keys other than Escape"

# Within a few frames: at llvmpipe's pace under Wine, about a frame a second.
xdotool key Escape
wait_exit 60
[ "$exit_code" = 0 ] || fail "Escape ended qorv.exe with $exit_code, not 0"
echo "other keys: still running; Escape: exit code 0"
