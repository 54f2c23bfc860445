#!/usr/bin/env bash
# Runs a command inside a fresh X server with a window manager, as on a real
# desktop: without one, full-screen windows and close requests do not exist.
# Usage: xsession.sh WIDTHxHEIGHT command [args...]
# The command sees DISPLAY; the server and window manager end with it.
set -u
size="$1"
shift

fdfile=$(mktemp)
# -displayfd picks a free display number, so parallel tests never collide.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$fdfile" ] && break
  sleep 0.05
done
display=$(head -n1 "$fdfile")
rm -f "$fdfile"
if [ -z "$display" ]; then
  echo "xsession: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 99
fi
export DISPLAY=":$display"

openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.05
done

"$@"
rc=$?

kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $rc
