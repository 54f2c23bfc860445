#!/usr/bin/env bash
# qorv.exe under Wine, left alone with no "c.ogg" in its working directory:
# the show runs silently through its frames, presents exactly 8000 of them and
# ends with exit code 0. Wine's WGL trace shows each presented frame and the
# pixel-format search.
source "$(dirname "$0")/win32_common.sh"

# NOTE: llvmpipe needs seconds for one frame of the full scene on this
# machine, hours for the whole show; Mesa's no-op driver takes every GL call
# and draws nothing, so the run checks the shell and the frame clock at speed.
start_qorv 500 GALLIUM_NOOP=true WINEDEBUG=-all,+wgl
wait_window 180
shown_at=$SECONDS
wait_exit 480
[ "$exit_code" = 0 ] || fail "the show ended with $exit_code, not 0"
[ ! -e "$work/run/c.ogg" ] || fail "something made c.ogg"

presented=$(grep -c 'wglSwapBuffers' "$work/log")
[ "$presented" = 8000 ] || fail "$presented frames presented, not 8000"

# Wine over Mesa has no format with the exchange swap method: the first
# search finds nothing, and the one retry without it must find a format.
searches=$(grep -c 'X11DRV_wglChoosePixelFormatARB (' "$work/log")
misses=$(grep -c 'Compatible Pixel Format not found' "$work/log")
[ "$searches" = $((misses + 1)) ] && [ "$searches" -le 2 ] ||
    fail "$searches pixel-format searches with $misses misses: wanted one retry at most, ending in a match"
main_format=$(grep 'trace:wgl:set_pixel_format (' "$work/log" | sed -n '2s/.*,\([0-9-]*\))$/\1/p')
[ -n "$main_format" ] && [ "$main_format" -gt 0 ] ||
    fail "the show window got pixel format '$main_format'"

seconds=$((SECONDS - shown_at))
echo "8000 frames presented in about $seconds s; $searches pixel-format searches; format $main_format"
