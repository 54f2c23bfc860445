#!/usr/bin/env bash
# qorv.exe under Wine with a generated c.ogg (48 kHz, so waveOut gets a rate
# other than the one BASS_Init names), then with a c.ogg of random bytes: it
# starts, runs, and Escape ends it with exit code 0. Wine here may have no
# sound device, which must not matter either.
source "$(dirname "$0")/win32_common.sh"

run_with_music() {
    start_qorv 300
    wait_window 180
    sleep 3
    is_running || fail "qorv.exe ended with $(cat "$work/rc") while playing $1"
    xdotool key Escape
    wait_exit 30
    [ "$exit_code" = 0 ] || fail "with $1, Escape ended qorv.exe with $exit_code, not 0"
    echo "$1: exit code 0"
}

sox -n -r 48000 -c 2 "$work/run/c.ogg" synth 8 sine 440 gain -6 || fail "cannot make c.ogg"
run_with_music "a 48 kHz tone"

sox -R -n -t raw -r 8000 -b 8 -e signed -c 1 "$work/run/c.ogg" synth 4 whitenoise ||
    fail "cannot make c.ogg"
run_with_music "random bytes"
