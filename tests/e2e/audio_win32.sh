#!/usr/bin/env bash
# qorv.exe under Wine with a generated c.ogg (48 kHz, so waveOut gets a rate
# other than the one BASS_Init names), then with a c.ogg of random bytes: each
# time it starts, runs all its frames and ends with exit code 0. Wine here may
# have no sound device, which must not matter either.
source "$(dirname "$0")/win32_common.sh"

# NOTE: llvmpipe takes hours over the whole show; Mesa's no-op driver takes
# every GL call and draws nothing, so the show runs to its end at speed.
run_to_end() {
    start_qorv 500 GALLIUM_NOOP=true
    wait_window 180
    wait_exit 480
    [ "$exit_code" = 0 ] || fail "with $1, qorv.exe ended with $exit_code, not 0"
    echo "$1: exit code 0"
}

sox -n -r 48000 -c 2 "$work/run/c.ogg" synth 8 sine 440 gain -6 || fail "cannot make c.ogg"
run_to_end "a 48 kHz tone"

sox -R -n -t raw -r 8000 -b 8 -e signed -c 1 "$work/run/c.ogg" synth 4 whitenoise ||
    fail "cannot make c.ogg"
run_to_end "random bytes"
