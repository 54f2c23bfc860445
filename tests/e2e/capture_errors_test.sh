#!/usr/bin/env bash
# Every bad command line or output ends qorv-capture with exit code 2 and one
# line naming the problem, before writing anything; no GL context gives exit
# code 1; an encoder that fails, or a worker that cannot write its frame
# (a file-size limit), ends the run with exit code 1 and leaves no file under
# its final name and no temporary file.
# usage: capture_errors_test.sh QORV-CAPTURE
set -u
source "$(dirname "$0")/lib.sh"
capture="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch plain-file
mkdir empty-bin a-folder
mkfifo a-pipe

# expect_refusal WORDS ARGS...: exit code 2, one stderr line containing WORDS,
# nothing on stdout, nothing new in the folder.
expect_refusal() {
  local words="$1" code lines
  shift
  env ${REFUSAL_ENV:-} "$capture" "$@" >out.txt 2>err.txt
  code=$?
  lines=$(wc -l <err.txt)
  [ "$code" = 2 ] || fail "$*: exit code $code, wanted 2"
  [ "$lines" = 1 ] || fail "$*: $lines lines on stderr: $(cat err.txt)"
  grep -qF -- "$words" err.txt || fail "$*: message does not name '$words': $(cat err.txt)"
  [ ! -s out.txt ] || fail "$*: wrote to stdout"
  [ "$(ls -A | tr '\n' ' ')" = "a-folder a-pipe empty-bin err.txt out.txt plain-file " ] ||
    fail "$*: left files: $(ls -A)"
}

expect_refusal "--frames 0..3" --frames 0..3 --out frames
expect_refusal "--frames 1..8001" --frames 1..8001 --out frames
expect_refusal "reversed" --frames 9..3 --out frames
expect_refusal "--frames" --frames x..3 --out frames
expect_refusal "--size 0x36" --size 0x36 --out frames
expect_refusal "--size 64x0" --size 64x0 --out frames
expect_refusal "--size 20000x36" --size 20000x36 --out frames
expect_refusal "--supersample" --size 9000x36 --supersample 2 --out frames
expect_refusal "--size" --size big --out frames
expect_refusal "unknown option --frame" --frame 1..3 --out frames
expect_refusal "unknown option stray" stray --out frames
expect_refusal "--out" --frames 1..3
expect_refusal "only one" --out frames --video v.mp4
expect_refusal "--fps" --fps 0 --video v.mp4
expect_refusal "--jobs" --jobs 0 --out frames
expect_refusal "--device" --device gpu --out frames
expect_refusal "plain-file" --out plain-file/frames
expect_refusal "missing" --contact-sheet missing/sheet.png
expect_refusal "a-folder" --video a-folder
expect_refusal "a-pipe: not a plain file" --contact-sheet a-pipe
REFUSAL_ENV="PATH=$work/empty-bin" expect_refusal "ffmpeg" --video v.mp4

# No OpenGL 4 context: exit code 1, no output.
MESA_GL_VERSION_OVERRIDE=3.3 "$capture" --frames 1 --size 8x8 --out frames 2>err.txt
code=$?
[ "$code" = 1 ] || fail "without OpenGL 4: exit code $code, wanted 1"
[ -z "$(ls -A frames 2>/dev/null)" ] || fail "without OpenGL 4: wrote $(ls -A frames)"

# An encoder that writes part of its output and gives up: exit code 1, no
# video, no temporary file.
mkdir fake-bin
printf '#!/bin/sh\nfor a; do out="$a"; done\necho partial >"$out"\nhead -c 100 >/dev/null\nexit 3\n' \
  >fake-bin/ffmpeg
chmod +x fake-bin/ffmpeg
PATH="$work/fake-bin:$PATH" "$capture" --frames 1..4 --size 64x36 --video v.mp4 --quiet 2>err.txt
code=$?
[ "$code" = 1 ] || fail "failing encoder: exit code $code, wanted 1"
grep -q ffmpeg err.txt || fail "failing encoder not named: $(cat err.txt)"
[ -z "$(ls -A | grep -F v.mp4)" ] || fail "failing encoder left: $(ls -A | grep -F v.mp4)"
# A file-size limit of 1 KiB: the curtain frames (under 200 bytes at this
# size) fit, the scene's do not. Each worker fails at its first scene frame.
mkdir limited
(ulimit -f 1; exec "$capture" --frames 2999..3002 --size 64x36 --jobs 2 --out limited 2>err.txt)
code=$?
[ "$code" = 1 ] || fail "workers that cannot write: exit code $code, wanted 1"
grep -q "worker .*cannot write limited/frame-.*File too large" err.txt ||
  fail "the failing write is not named: $(cat err.txt)"
[ -z "$(ls -A limited)" ] || fail "workers that cannot write left: $(ls -A limited)"
(ulimit -f 1; exec "$capture" --frames 1..3 --size 64x36 --jobs 2 --out limited --quiet) ||
  fail "small frames under the same limit failed"
[ "$(ls -A limited | tr '\n' ' ')" = "frame-0001.png frame-0002.png frame-0003.png " ] ||
  fail "small frames under the limit: $(ls -A limited)"
(ulimit -f 1; exec "$capture" --contact-sheet limited/sheet.png --every 2000 --size 32x18 \
  --jobs 2 --quiet 2>err.txt)
code=$?
[ "$code" = 1 ] || fail "a sheet that cannot be written: exit code $code, wanted 1"
[ "$(ls -A limited | grep -c sheet)" = 0 ] || fail "a sheet that cannot be written left: $(ls -A limited)"
echo "ok"
