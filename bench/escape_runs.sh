#!/usr/bin/env bash
# Ends the Linux show with Escape at a random moment after its window maps,
# many times over, while music plays on SDL's disk audio driver (so the music
# thread and SDL's audio thread really run when the process exits), and counts
# the runs that end with exit code 0. Meant for the asan build: a race between
# exit handlers and the audio threads shows up as a crash, a sanitizer report
# or a hang. Each run has its own time limit. Not a test: it takes a while.
# usage: bench/escape_runs.sh [RUNS [QORV]]   (default 200 runs of build/asan/src/qorv)
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=${1:-200}
qorv=${2:-$root/build/asan/src/qorv}
limit=60  # seconds a run may take, start to exit

# A desktop of its own: Xvfb and a window manager, so keys reach the window.
if [ "${QORV_ESCAPE_RUNS_INSIDE:-}" != 1 ]; then
  QORV_ESCAPE_RUNS_INSIDE=1 exec bash "$root/tests/e2e/xsession.sh" 640x480 bash "$0" "$runs" "$qorv"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 70 seconds of music: it is still playing whenever Escape comes.
sox -R -n -r 44100 -c 2 "$work/c.ogg" synth 70 pinknoise gain -12 || exit 1
export LSAN_OPTIONS="suppressions=$root/tests/lsan_suppressions.txt"
# As in the asan test preset: GCC 12's sanitizer runtime mistakes some dynamic
# TLS blocks for old glibc's, and its leak check then crashes.
export ASAN_OPTIONS="intercept_tls_get_addr=0"

declare -A outcomes
for run in $(seq "$runs"); do
  rm -f "$work/out.raw"
  (cd "$work" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" \
    timeout -s KILL "$limit" "$qorv" 2>"$work/stderr") &
  pid=$!
  mapped=0
  for _ in $(seq 300); do
    if xdotool search --onlyvisible --name '^qorv$' >/dev/null 2>&1; then mapped=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ $mapped = 1 ]; then
    # 0 to 3 s after the window maps: start-up's last steps, the first
    # frames, the music's start and steady running.
    sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
    sleep $((RANDOM % 3))
    xdotool key Escape
  fi
  wait "$pid"
  code=$?
  [ "$code" = 137 ] && code="killed after ${limit} s"
  [ $mapped = 1 ] || code="no window ($code)"
  outcomes[$code]=$((${outcomes[$code]:-0} + 1))
  if [ "$code" != 0 ]; then
    echo "run $run: $code" >&2
    head -n 20 "$work/stderr" >&2
  fi
done

echo "$runs runs of $qorv, Escape at a random moment:"
for code in "${!outcomes[@]}"; do echo "  exit $code: ${outcomes[$code]}"; done
