#!/usr/bin/env bash
# Measures frames per second of qorv.exe under Wine on Xvfb, and of the Linux
# build in the same run when its path is given. A measurement, not a test.
# Usage: win32_frame_rate.sh QORV_EXE [LINUX_QORV] [SECONDS] [WIDTHxHEIGHT]
# Needs WINEPREFIX (for example build/win32/wineprefix), and WINE, the loader
# (default wine; /usr/lib/wine/wine64 for the win64 build). Mesa's HUD writes the
# frame rate every second into a file; the mean of those samples is printed.
set -u
qorv_exe=$(realpath "$1")
linux_qorv=${2:+$(realpath "$2")}
seconds=${3:-60}
size=${4:-640x480}
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# measure NAME COMMAND...: runs it in a fresh X server for the set time.
measure() {
    local name="$1"
    shift
    mkdir -p "$work/$name" "$work/$name-run"
    (
        cd "$work/$name-run" || exit 1
        GALLIUM_HUD=fps GALLIUM_HUD_PERIOD=1 GALLIUM_HUD_DUMP_DIR="$work/$name" \
            bash "$here/xsession.sh" "$size" timeout "$seconds" "$@" >/dev/null 2>&1
    )
    # The first sample includes start-up; the rest are whole seconds of frames.
    tail -n +2 "$work/$name/fps" 2>/dev/null | awk -v name="$name" -v size="$size" \
        '{ sum += $1; n++ } END { if (n) printf "%s at %s: %.2f frames/s, mean of %d samples\n", name, size, sum / n, n; else print name ": no frames" }'
}

measure wine "${WINE:-wine}" "$qorv_exe"
wineserver -k 2>/dev/null
[ -n "$linux_qorv" ] && measure linux "$linux_qorv"
