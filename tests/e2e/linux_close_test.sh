#!/usr/bin/env bash
# A close request from the window manager (or, with "escape", the Escape key)
# ends the Linux show with exit code 0.
# usage: linux_close_test.sh QORV [escape]   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1"
how="${2:-close}"
cd "$(mktemp -d)" || exit 1
"$qorv" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
wait_for_window qorv 30 >/dev/null || fail "no window named qorv"
sleep 1
if [ "$how" = escape ]; then
  xdotool key Escape || fail "xdotool could not press Escape"
else
  wmctrl -c qorv || fail "wmctrl could not ask the window to close"
fi
wait_exit $pid 5
[ "$EXIT_CODE" = 0 ] || fail "$how gave '$EXIT_CODE', wanted exit code 0"
trap - EXIT
echo "ok"
