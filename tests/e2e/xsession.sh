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

# Ready once it names itself and keeps the client list that close requests
# look windows up in; a busy machine can take seconds to get there. Seen
# here: with several sessions starting at once, an openbox now and then
# cannot open a display that Xvfb has just announced, and exits; it is
# started again.
ready=
wm=
for _ in $(seq 400); do
  if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
  fi
  if wmctrl -m >/dev/null 2>&1 && wmctrl -l >/dev/null 2>&1; then
    ready=1
    break
  fi
  sleep 0.05
done
if [ -z "$ready" ]; then
  echo "xsession: the window manager did not start" >&2
  kill "$wm" "$xvfb" 2>/dev/null
  exit 99
fi

"$@"
rc=$?

kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $rc
