#!/usr/bin/env bash
# qorv.exe under Wine, left alone with no "c.ogg" in its working directory:
# the show runs silently through its 8000 presented frames and ends with 0.
source "$(dirname "$0")/win32_common.sh"

start_qorv 580
wait_window 180
shown_at=$SECONDS
wait_exit 570
[ "$exit_code" = 0 ] || fail "the show ended with $exit_code, not 0"
[ ! -e "$work/run/c.ogg" ] || fail "something made c.ogg"
seconds=$((SECONDS - shown_at))
[ "$seconds" -gt 0 ] || seconds=1
echo "8000 frames in about $seconds s after the window showed: about $((8000 / seconds)) frames/s"
