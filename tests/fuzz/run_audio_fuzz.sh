#!/bin/sh
# Runs the audio fuzz target: first every input that ever crashed it (the
# committed corpus), then fresh fuzzing for a bounded time, seeded with the
# generated test files. A crash fails the test and leaves its input in
# WORK/crashes; once fixed, it goes into the committed corpus for good.
# Usage: run_audio_fuzz.sh FUZZER CORPUS SAMPLES WORK SECONDS
set -eu
fuzzer="$1"
corpus="$2"
samples="$3"
work="$4"
seconds="$5"

rm -rf "$work"
mkdir -p "$work/seeds" "$work/new" "$work/crashes"
# Seeds: the small regular files among the samples (not the FIFO, the folder
# or the gibibyte of zeros).
find "$samples" -maxdepth 1 -type f -size -1000k -exec cp {} "$work/seeds/" \;

echo "== regression corpus"
"$fuzzer" -runs=0 "$corpus"

echo "== fuzzing for $seconds s"
# Inputs up to 16 KB: a few pages past the headers, where decoding starts,
# at many more runs per second than whole files. Any input decodes in well
# under a second; the generous per-input limit only keeps a machine busy with
# other builds from reporting a stall as a hang.
"$fuzzer" -max_total_time="$seconds" -timeout=60 -max_len=16384 -print_final_stats=1 \
  -artifact_prefix="$work/crashes/" "$work/new" "$corpus" "$work/seeds"
