#!/usr/bin/env bash
# The Linux show in a desktop session: its window covers the screen, the first
# frames show black curtains on the background (51, 26, 0), the scene appears
# once they part, keys other than Escape change nothing, and Escape ends it at
# once with 0.
# usage: linux_window_test.sh QORV XSHOT   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1" xshot="$2"
work=$(mktemp -d)
cd "$work" || exit 1

"$qorv" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
window=$(wait_for_window qorv 120) || fail "no window named qorv"
read -r sw sh < <(screen_size)
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
echo "$geometry" | grep -q "Position: 0,0" || fail "window not at the screen's origin"
echo "$geometry" | grep -q "Geometry: ${sw}x${sh}" || fail "window does not cover the ${sw}x${sh} screen"

# The closed curtains are 200 units wide: on a screen wider than about four
# times its height the background (51, 26, 0) shows beside them from the
# first frame, and black fills the middle.
total=$((sw * sh))
seen=0
for _ in $(seq 600); do
  matching=$(matching_pixels "$xshot" 51 26 0 2)
  black=$(matching_pixels "$xshot" 0 0 0 0)
  if [ "$matching" -ge $((total / 50)) ] && [ "$black" -ge $((total / 2)) ]; then seen=1; break; fi
  kill -0 $pid 2>/dev/null || fail "the show ended before its first frame showed"
  sleep 0.2
done
"$xshot" png "$work/screen.png"
[ $seen = 1 ] || fail "no background (51, 26, 0) beside black curtains; see $work/screen.png"
echo "background pixels: $matching, curtain pixels: $black, of $total"

# Once the curtains part (about frame 500, a minute or two on llvmpipe) the
# rings and the blob are on screen.
lit=0
for _ in $(seq 960); do
  lit=$("$xshot" lit)
  [ "$lit" -ge $((total / 20)) ] && break
  kill -0 $pid 2>/dev/null || fail "the show ended before the scene showed"
  sleep 0.5
done
"$xshot" png "$work/scene.png"
[ "$lit" -ge $((total / 20)) ] || fail "no lit scene pixels after the curtains; see $work/scene.png"
echo "scene pixels: $lit of $total"

xdotool key a space Return F1 Up Tab
sleep 1
kill -0 $pid 2>/dev/null || fail "another key ended the show"

xdotool key Escape
wait_exit $pid 30
[ "$EXIT_CODE" = 0 ] || fail "Escape gave '$EXIT_CODE' within 30 seconds, wanted exit code 0"
trap - EXIT
echo "ok"
