#!/usr/bin/env bash
# qorv.exe under Wine: a close request from the window manager (WM_CLOSE)
# ends the show with exit code 0.
source "$(dirname "$0")/win32_common.sh"

make_music
start_qorv_for_input 300
wait_window 180
wait_focus 60
sleep 1
is_running || fail "qorv.exe ended with $(cat "$work/rc") before the close request"

wmctrl -c qorv || fail "wmctrl found no window titled qorv"
wait_exit 60
[ "$exit_code" = 0 ] || fail "the close request ended qorv.exe with $exit_code, not 0"
echo "close request: exit code 0"
