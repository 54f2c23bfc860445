#!/usr/bin/env bash
# A contact sheet holds the frames along the timeline (1, then every 1000th)
# as thumbnails identical to the frame routine's renders, each in its cell;
# one job and two jobs write the same file.
# usage: capture_sheet_test.sh QORV-CAPTURE CAPTURE-MATCH
set -u
source "$(dirname "$0")/lib.sh"
capture="$1"
match="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$capture" --contact-sheet "$work/sheet.png" --every 1000 --size 32x18 --device software --jobs 2 \
  --quiet || fail "contact sheet failed"
"$capture" --contact-sheet "$work/one.png" --every 1000 --size 32x18 --device software --jobs 1 \
  --quiet || fail "contact sheet with one job failed"
[ "$(ls -A "$work" | tr '\n' ' ')" = "one.png sheet.png " ] || fail "left behind: $(ls -A "$work")"
cmp "$work/one.png" "$work/sheet.png" || fail "one job and two jobs made different sheets"
"$match" sheet "$work/sheet.png" 32 18 1 1000 2000 3000 4000 5000 6000 7000 8000 ||
  fail "contact sheet thumbnails are not the frames"
echo "ok"
