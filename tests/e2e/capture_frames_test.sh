#!/usr/bin/env bash
# qorv-capture writes numbered PNGs that are the show's frames exactly: each
# is compared pixel for pixel with the frame rendered by the frame routine in
# capture_match. Frames 1..3 (all curtain) and 2999..3001 (which differ from
# each other, so a capture of the wrong frame cannot pass); a supersampled
# capture stays the same picture with softer edges; --quiet silences stderr.
# One job and two jobs write the same bytes, plain and supersampled; the
# automatic device, llvmpipe here as on any machine without a GPU, gives the
# same pictures as the software device the tests pin.
# usage: capture_frames_test.sh QORV-CAPTURE CAPTURE-MATCH
set -u
source "$(dirname "$0")/lib.sh"
capture="$1"
match="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$capture" --frames 1..3 --size 64x36 --device software --out "$work/a" 2>"$work/a.err" ||
  fail "capture 1..3 failed"
[ "$(ls -A "$work/a" | tr '\n' ' ')" = "frame-0001.png frame-0002.png frame-0003.png " ] ||
  fail "wrong files: $(ls -A "$work/a")"
grep -q "frame 3/3 .* on llvmpipe" "$work/a.err" || fail "no progress line: $(cat "$work/a.err")"
"$match" exact 1="$work/a/frame-0001.png" 2="$work/a/frame-0002.png" 3="$work/a/frame-0003.png" ||
  fail "frames 1..3 differ from the frame routine's"

"$capture" --frames=2999..3001 --size=64x36 --device=software --jobs=2 --out="$work/b" --quiet \
  2>"$work/b.err" || fail "capture 2999..3001 failed"
[ ! -s "$work/b.err" ] || fail "--quiet printed: $(cat "$work/b.err")"
"$match" exact --distinct 2999="$work/b/frame-2999.png" 3000="$work/b/frame-3000.png" \
  3001="$work/b/frame-3001.png" || fail "frames 2999..3001 differ from the frame routine's"

"$capture" --frames 2999..3001 --size 64x36 --device software --jobs 1 --out "$work/b1" --quiet ||
  fail "capture 2999..3001 with one job failed"
diff -r "$work/b1" "$work/b" || fail "one job and two jobs wrote different files"

"$capture" --frames 2999..3001 --size 64x36 --device auto --jobs 2 --out "$work/auto" \
  2>"$work/auto.err" || fail "capture with the automatic device failed"
if grep -q " on llvmpipe" "$work/auto.err"; then
  diff -r "$work/auto" "$work/b" || fail "the automatic device fell back to llvmpipe with other pictures"
else
  echo "automatic device: $(tail -n1 "$work/auto.err"); pictures not compared"
fi

"$capture" --frames 2999..3000 --size 64x36 --supersample 3 --device software --jobs 2 \
  --out "$work/c" --quiet || fail "supersampled capture failed"
"$capture" --frames 2999..3000 --size 64x36 --supersample 3 --device software --jobs 1 \
  --out "$work/c1" --quiet || fail "supersampled capture with one job failed"
diff -r "$work/c1" "$work/c" || fail "supersampled: one job and two jobs wrote different files"
"$match" near 3000="$work/c/frame-3000.png" || fail "supersampled frame 3000 is not that frame"
echo "ok"
