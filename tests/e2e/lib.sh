# Shell helpers for the end-to-end tests; sourced by the test scripts.

# wait_for_window NAME SECONDS: prints the id of the first window whose name
# is exactly NAME, or fails after SECONDS.
wait_for_window() {
  local name="$1" seconds="$2" id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --name "^${name}\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# wait_exit PID SECONDS: waits for a child of this shell to end and sets
# EXIT_CODE to its exit code, or to "running" if it is still alive after
# SECONDS. (Not in a $(...) subshell: only this shell can wait for its child.)
wait_exit() {
  local pid="$1" seconds="$2"
  EXIT_CODE=running
  for _ in $(seq $((seconds * 20))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      EXIT_CODE=$?
      return 0
    fi
    sleep 0.05
  done
}

# screen_size: prints "WIDTH HEIGHT" of the X screen.
screen_size() {
  xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2]; exit }'
}

# matching_pixels XSHOT R G B TOL: how many screen pixels are within TOL of the colour.
matching_pixels() {
  local xshot="$1" r="$2" g="$3" b="$4" tol="$5" w h differing
  read -r w h < <(screen_size)
  differing=$("$xshot" differing "$r" "$g" "$b" "$tol")
  echo $((w * h - differing))
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
