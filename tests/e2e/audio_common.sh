# Shared steps of the Linux audio end-to-end tests, sourced by audio_*.sh
# inside xsession.sh: a scratch folder, the show's music, and running the show
# with SDL's disk audio driver writing what it plays to a file.
set -u
source "$(dirname "$0")/lib.sh"
here="$(cd "$(dirname "$0")" && pwd)"
qorv="$1"
probe="$2"

work=$(mktemp -d)
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"' EXIT

# make_music FILE [chained]: 0.3 s of 660 Hz then 1.2 s of 440 Hz in the left
# channel only, at 48 kHz, so the output also goes through the rate
# conversion. Chained: the two parts as two Ogg Vorbis streams one after the
# other, the second at 22.05 kHz.
make_music() {
  sox -n -r 48000 -c 1 "$work/a.wav" synth 0.3 sine 660 gain -6 &&
    sox -n -r 48000 -c 1 "$work/b.wav" synth 1.2 sine 440 gain -6 || fail "cannot make $1"
  if [ "${2:-}" = chained ]; then
    sox "$work/a.wav" -C 4 "$work/a.ogg" remix 1 0 &&
      sox "$work/b.wav" -r 22050 -C 4 "$work/b.ogg" remix 1 0 &&
      cat "$work/a.ogg" "$work/b.ogg" >"$1" || fail "cannot make $1"
  else
    sox "$work/a.wav" "$work/b.wav" -C 4 "$1" remix 1 0 || fail "cannot make $1"
  fi
}

# run_until_escape DIR SECONDS [VAR=value...]: runs the show in DIR with its
# disk audio in DIR/out.raw, presses Escape once its window has been up for
# SECONDS, and sets code to its exit code.
run_until_escape() {
  local dir="$1" seconds="$2"
  shift 2
  (cd "$dir" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" "$@" "$qorv") &
  local pid=$!
  wait_for_window qorv 120 >/dev/null || { kill "$pid"; fail "no window named qorv"; }
  sleep "$seconds"
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "the show ended early with $?"; }
  xdotool key Escape
  # Waited for here, not in a subshell: only the parent shell can collect the
  # exit code.
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid"
    code="still running after Escape"
  else
    wait "$pid"
    code=$?
  fi
}
