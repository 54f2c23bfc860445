#!/usr/bin/env bash
# How the music's start stands to the first presented frame, measured on the
# real executables in a desktop of their own (Xvfb, llvmpipe):
#  - Linux (build/linux/src/qorv, SDL's disk audio driver): qorv-start-probe,
#    preloaded, notes the return of BASS_ChannelPlay (the show's first
#    SDL_PollEvent follows it at once), the end of the first audio callback
#    that handed SDL non-zero samples, and the end of the first buffer swap.
#  - Windows under Wine (build/win32/src/qorv.exe, or where the kernel runs
#    no 32-bit code build/win64/src/qorv.exe under wine64; ALSA's null device
#    behind waveOut): Wine's relay log with timestamps (1 ms steps) of the show's
#    first PeekMessageA (right after BASS_ChannelPlay), its first waveOutWrite
#    (the first block handed to the device) and the return of its first
#    SwapBuffers.
# Prints, per run and as medians: play return -> first frame, and first
# sample -> first frame. Not a test: figures for this machine.
# usage: bench/music_start.sh [RUNS]   (default 10 each; needs both builds)
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=${1:-10}
if [ "${QORV_MUSIC_START_INSIDE:-}" != 1 ]; then
  QORV_MUSIC_START_INSIDE=1 exec bash "$root/tests/e2e/xsession.sh" 640x480 bash "$0" "$runs"
fi
source "$root/tests/e2e/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 2 "$work/c.ogg" synth 30 pinknoise gain -12 || exit 1

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "none" }'; }

qorv="$root/build/linux/src/qorv"
probe="$root/build/linux/bench/qorv-start-probe.so"
if [ -x "$qorv" ] && [ -e "$probe" ]; then
  : >"$work/linux"
  for run in $(seq "$runs"); do
    (cd "$work" && exec env LD_PRELOAD="$probe" SDL_AUDIODRIVER=disk \
      SDL_DISKAUDIOFILE="$work/out.raw" timeout 60 "$qorv" 2>"$work/stderr") &
    pid=$!
    wait_for_window qorv 30 >/dev/null && sleep 1 && xdotool key Escape
    wait "$pid"
    play=$(sed -n 's/^start-probe: play return to first frame \(.*\) ms$/\1/p' "$work/stderr")
    sample=$(sed -n 's/^start-probe: first sample to first frame \(.*\) ms$/\1/p' "$work/stderr")
    echo "linux run $run: play return -> first frame ${play:-?} ms, first sample -> first frame ${sample:-?} ms"
    echo "${play:-nan} ${sample:-nan}" >>"$work/linux"
  done
  echo "linux (SDL disk audio), median of $runs:" \
    "play return -> first frame $(cut -d' ' -f1 "$work/linux" | median) ms," \
    "first sample -> first frame $(cut -d' ' -f2 "$work/linux" | median) ms"
else
  echo "no Linux build with qorv-start-probe; skipped"
fi

if "$root/scripts/runs-32bit-code"; then
  exe="$root/build/win32/src/qorv.exe" wine=wine
else
  exe="$root/build/win64/src/qorv.exe" wine=/usr/lib/wine/wine64
  export WINEARCH=win64 WINELOADER=$wine
fi
if [ -e "$exe" ] && command -v "$wine" >/dev/null; then
  export WINEPREFIX="$work/wineprefix" WINEDLLOVERRIDES="mscoree=d;mshtml=d"
  export ALSA_CONFIG_PATH="$root/tests/unit/alsa_null.conf"
  WINEDEBUG=-all "$wine" wineboot -i >/dev/null 2>&1
  wineserver -w
  # Only these calls go to the relay log.
  WINEDEBUG=-all "$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /f \
    /d 'user32.PeekMessageA;winmm.waveOutWrite;gdi32.SwapBuffers' >/dev/null 2>&1
  wineserver -w
  : >"$work/wine"
  for run in $(seq "$runs"); do
    (cd "$work" && exec env WINEDEBUG=+timestamp,+relay timeout 120 "$wine" "$exe" 2>"$work/relay") &
    pid=$!
    wait_for_window qorv 60 >/dev/null && sleep 2 && xdotool key Escape
    wait "$pid"
    # Lines: "TIME:TID:Call module.Function(...)" and "TIME:TID:Ret  module.Function(...)".
    read -r play sample < <(awk -F: '
      /Call user32.PeekMessageA/ && !p { p = $1 }
      /Call winmm.waveOutWrite/ && !w { w = $1 }
      /Ret  gdi32.SwapBuffers/ && !s { s = $1 }
      END { printf "%s %s\n", (p && s) ? (s - p) * 1000 : "nan", (w && s) ? (s - w) * 1000 : "nan" }' \
      "$work/relay")
    echo "wine run $run: play return -> first frame $play ms, first sample -> first frame $sample ms"
    echo "$play $sample" >>"$work/wine"
  done
  echo "wine (waveOut on ALSA's null device), median of $runs:" \
    "play return -> first frame $(cut -d' ' -f1 "$work/wine" | median) ms," \
    "first sample -> first frame $(cut -d' ' -f2 "$work/wine" | median) ms"
  wineserver -k
else
  echo "no Windows build or no Wine; skipped"
fi
