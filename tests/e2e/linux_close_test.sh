#!/usr/bin/env bash
# A close request from the window manager, or the Escape key, ends the Linux
# show with exit code 0 and nothing on stderr. SIGTERM and SIGINT end it too,
# but never as if it had ended normally: one line on stderr names the signal,
# and the exit code is 128 plus its number.
# usage: linux_close_test.sh QORV   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1"
cd "$(mktemp -d)" || exit 1

# end_with HOW CODE [LINE]: starts the show, ends it HOW, and checks the exit
# code and stderr (empty, or exactly LINE).
end_with() {
  local how=$1 want=$2 line=${3:-}
  "$qorv" 2>err.txt &
  pid=$!
  trap 'kill -KILL $pid 2>/dev/null' EXIT
  wait_for_window qorv 120 >/dev/null || fail "$how: no window named qorv"
  sleep 1
  case $how in
    escape) xdotool key Escape || fail "xdotool could not press Escape" ;;
    close) wmctrl -c qorv || fail "wmctrl could not ask the window to close" ;;
    *) kill -s "$how" $pid ;;
  esac
  wait_exit $pid 60
  trap - EXIT
  [ "$EXIT_CODE" = "$want" ] || fail "$how gave '$EXIT_CODE', wanted exit code $want"
  [ "$(cat err.txt)" = "$line" ] || fail "$how: stderr '$(cat err.txt)', wanted '$line'"
  echo "$how: exit code $EXIT_CODE${line:+, \"$line\"}"
}

end_with close 0
end_with escape 0
end_with TERM 143 "qorv: stopped by SIGTERM"
end_with INT 130 "qorv: stopped by SIGINT"
