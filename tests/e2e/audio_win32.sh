#!/usr/bin/env bash
# qorv.exe under Wine with a generated c.ogg (48 kHz, so waveOut gets a rate
# other than the one BASS_Init names), then with a c.ogg of random bytes: each
# time it starts, runs all its frames and ends with exit code 0, with a sound
# device and without one.
source "$(dirname "$0")/win32_common.sh"

# run_to_end WHAT [VAR=value...]: qorv.exe through all its frames, exit code 0.
# NOTE: llvmpipe takes hours over the whole show; Mesa's no-op driver takes
# every GL call and draws nothing, so the show runs to its end at speed.
run_to_end() {
    local what="$1"
    shift
    start_qorv 500 GALLIUM_NOOP=true "$@"
    wait_window 180
    wait_exit 480
    [ "$exit_code" = 0 ] || fail "with $what, qorv.exe ended with $exit_code, not 0"
    echo "$what: exit code 0"
}

sox -n -r 48000 -c 2 "$work/run/c.ogg" synth 8 sine 440 gain -6 || fail "cannot make c.ogg"
# Once with ALSA's null device as Wine's sound device, so that waveOut opens
# and plays while the show runs and ends, and once with whatever Wine finds.
run_to_end "a 48 kHz tone, on a device" \
    ALSA_CONFIG_PATH="$(cd "$(dirname "$0")" && pwd)/../unit/alsa_null.conf"
run_to_end "a 48 kHz tone"

sox -R -n -t raw -r 8000 -b 8 -e signed -c 1 "$work/run/c.ogg" synth 4 whitenoise ||
    fail "cannot make c.ogg"
run_to_end "random bytes"
