#!/usr/bin/env bash
# A close request from the window manager ends the Linux show with exit code 0.
# usage: linux_close_test.sh QORV   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1"
cd "$(mktemp -d)" || exit 1
"$qorv" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
wait_for_window qorv 30 >/dev/null || fail "no window named qorv"
sleep 1
wmctrl -c qorv || fail "wmctrl could not ask the window to close"
wait_exit $pid 5
[ "$EXIT_CODE" = 0 ] || fail "close request gave '$EXIT_CODE', wanted exit code 0"
trap - EXIT
echo "ok"
