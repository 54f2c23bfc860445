#!/usr/bin/env bash
# qorv.exe under Wine on a driver that offers no OpenGL 4.0 context: start-up
# fails and the process ends with exit code 1.
source "$(dirname "$0")/win32_common.sh"

make_music
start_qorv 180 MESA_GL_VERSION_OVERRIDE=3.3
wait_exit 180
[ "$exit_code" = 1 ] || fail "without OpenGL 4.0 qorv.exe ended with $exit_code, not 1"
echo "no OpenGL 4.0: exit code 1"
