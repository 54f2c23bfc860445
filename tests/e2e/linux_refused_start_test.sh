#!/usr/bin/env bash
# Every start the Linux show must refuse: no display (SDL would fall back to a
# driver that shows nothing), an off-screen or dummy video driver, no OpenGL
# 4.0 context, shaders the driver cannot build. Each ends at once with exit
# code 1 and exactly one stderr line "qorv: ..." naming the step, and plays
# no music. The GL cases run under apitrace: nothing is uploaded or drawn.
# usage: linux_refused_start_test.sh QORV   (inside xsession.sh)
set -u
source "$(dirname "$0")/lib.sh"
qorv="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 "$work/c.ogg" synth 2 sine 440 gain -6 || fail "cannot make c.ogg"

# refused NAME PATTERN [env arguments...] COMMAND...: runs the show in a folder of its own
# with music and SDL's disk audio driver; wants exit 1 within the hang guard,
# one "qorv: " line on stderr matching PATTERN, and no audio output.
refused() {
  local name="$1" pattern="$2" dir="$work/$1"
  shift 2
  mkdir "$dir" && cp "$work/c.ogg" "$dir/" || fail "cannot set up $name"
  (cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" timeout 60 env "$@" \
    >"$dir/stdout" 2>"$dir/stderr")
  local code=$?
  local line
  line=$(grep '^qorv: ' "$dir/stderr")
  echo "$name: exit $code, $line"
  [ "$code" = 1 ] || { cat "$dir/stderr"; fail "$name: exit code $code, wanted 1"; }
  [ "$(grep -c '^qorv: ' "$dir/stderr")" = 1 ] ||
    { cat "$dir/stderr"; fail "$name: wanted exactly one line starting 'qorv: '"; }
  [[ "$line" =~ $pattern ]] || fail "$name: the line does not match '$pattern'"
  [ ! -e "$dir/out.raw" ] || fail "$name: the music played"
}

# With no X or Wayland display SDL 2 picks its off-screen driver by itself.
refused no_display '^qorv: no display to show the window on \(SDL video driver "offscreen"\)$' \
  -u DISPLAY -u WAYLAND_DISPLAY "$qorv"
refused offscreen '^qorv: no display to show the window on \(SDL video driver "offscreen"\)$' \
  SDL_VIDEODRIVER=offscreen "$qorv"
refused dummy '^qorv: no display to show the window on \(SDL video driver "dummy"\)$' \
  SDL_VIDEODRIVER=dummy "$qorv"
refused no_driver '^qorv: SDL video did not start: .+' SDL_VIDEODRIVER=no-such-driver "$qorv"

# traced_refusal NAME PATTERN [VAR=value...]: the same under apitrace; the
# trace holds no buffer upload, draw, clear or presentation.
traced_refusal() {
  local name="$1" pattern="$2"
  shift 2
  refused "$name" "$pattern" "$@" apitrace trace -o "$work/$name/show.trace" "$qorv"
  local calls
  calls=$(apitrace dump "$work/$name/show.trace" 2>/dev/null |
    grep -cE "glXSwapBuffers|glDrawElements|glClear\(|glBufferData")
  [ "$calls" = 0 ] || fail "$name: $calls upload, draw or present calls, wanted none"
}
traced_refusal no_gl4 '^qorv: OpenGL 4\.0 context refused: .+' MESA_GL_VERSION_OVERRIDE=3.3
# A 4.0 context whose shading language stops at 3.30: "#version 400" fails
# the first compile, and the line carries the compiler's own words.
traced_refusal no_glsl400 '^qorv: a shader program did not build: .*4\.00.+' \
  MESA_GL_VERSION_OVERRIDE=4.0 MESA_GLSL_VERSION_OVERRIDE=330
echo "ok"
