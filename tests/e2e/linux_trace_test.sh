#!/usr/bin/env bash
# Runs the Linux show unattended to its end under apitrace and checks, from
# outside: exit code 0, then the whole trace against a model of the show
# (start-up in order, every one of the 8000 presented frames call by call
# with its values, and the end in frame 8001).
# NOTE: GALLIUM_NOOP makes Mesa accept and discard the drawing, so the 8001
# frames of the real executable take seconds instead of the better part of an
# hour on a software rasteriser; calls, frames and exit are unchanged.
# usage: linux_trace_test.sh QORV MESH_DIR   (inside xsession.sh)
set -u -o pipefail
source "$(dirname "$0")/lib.sh"
qorv="$1" mesh_dir="$2"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
cd "$work" || exit 1

GALLIUM_NOOP=1 apitrace trace -o show.trace "$qorv" >apitrace.log 2>&1
code=$?
[ "$code" = 0 ] || fail "the show ended with $code, wanted 0"
read -r sw sh < <(screen_size)
# NOTE: the Debian interpreter, which has numpy from the system's packages; a
# python3 earlier on PATH (pyenv, a venv) may lack it. The dump of 8000 frames
# runs to tens of megabytes, so it streams into the check unstored.
apitrace dump show.trace 2>/dev/null |
  /usr/bin/python3 "$here/check_show_trace.py" "$sw" "$sh" "$mesh_dir" || fail "the run's trace"
rm -rf "$work"
