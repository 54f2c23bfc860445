#!/usr/bin/env bash
# Without an OpenGL 4.0 context the Linux show ends with exit code 1 and
# presents nothing.
# usage: linux_no_gl4_test.sh QORV   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1"
work=$(mktemp -d)
cd "$work" || exit 1
MESA_GL_VERSION_OVERRIDE=3.3 apitrace trace -o show.trace "$qorv" >apitrace.log 2>&1
code=$?
[ "$code" = 1 ] || fail "exit code $code, wanted 1"
draws=$(apitrace dump show.trace 2>/dev/null | grep -cE "glXSwapBuffers|glDrawElements|glClear\(")
[ "$draws" = 0 ] || fail "$draws draw or present calls, wanted none"
rm -rf "$work"
echo "ok"
