#!/usr/bin/env bash
# Runs the Linux show unattended to its end under apitrace and checks, from
# outside: exit code 0, exactly 8000 presented frames, and the start-up calls
# in their order with their values.
# NOTE: GALLIUM_NOOP makes Mesa accept and discard the drawing, so the 8001
# frames of the real executable take seconds instead of the better part of an
# hour on a software rasteriser; calls, frames and exit are unchanged.
# usage: linux_trace_test.sh QORV MESH_DIR   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1" mesh_dir="$2"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cd "$work" || exit 1

GALLIUM_NOOP=1 apitrace trace -o show.trace "$qorv" >apitrace.log 2>&1
code=$?
[ "$code" = 0 ] || fail "the show ended with $code, wanted 0"
apitrace dump show.trace >show.dump 2>/dev/null
frames=$(grep -c "glXSwapBuffers" show.dump)
[ "$frames" = 8000 ] || fail "$frames frames presented, wanted 8000"
echo "presented frames: $frames"
read -r sw sh < <(screen_size)
python3 "$here/check_startup_trace.py" show.dump "$sw" "$sh" "$mesh_dir" || fail "start-up order"
rm -rf "$work"
