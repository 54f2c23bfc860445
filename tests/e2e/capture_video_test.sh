#!/usr/bin/env bash
# --video pipes the frames to ffmpeg: the file plays, ffprobe counts every
# frame, and "c.ogg" from the working folder is muxed as long as the frames.
# Without c.ogg the video is silent.
# usage: capture_video_test.sh QORV-CAPTURE
set -u
source "$(dirname "$0")/lib.sh"
capture="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

probe() {  # probe FILE TYPE ENTRY: one stream entry of the first stream of TYPE
  ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" \
    -of default=noprint_wrappers=1:nokey=1 "$1"
}

sox -n -r 44100 -c 2 c.ogg synth 4 sine 440 || fail "cannot make c.ogg"
"$capture" --frames 1..12 --size 64x36 --fps 12 --video out.mp4 --quiet || fail "capture failed"
[ "$(probe out.mp4 v nb_read_frames)" = 12 ] || fail "video frames: $(probe out.mp4 v nb_read_frames)"
[ "$(probe out.mp4 v width)x$(probe out.mp4 v height)" = 64x36 ] || fail "wrong video size"
audio=$(probe out.mp4 a duration)
[ -n "$audio" ] || fail "no audio stream"
python3 -c "import sys; sys.exit(0 if abs(float('$audio') - 1.0) < 0.05 else 1)" ||
  fail "audio lasts $audio s, wanted the video's 1.0 s"
ffmpeg -v error -i out.mp4 -f null - || fail "out.mp4 does not decode"
[ "$(ls -A | tr '\n' ' ')" = "c.ogg out.mp4 " ] || fail "left behind: $(ls -A)"

rm c.ogg
"$capture" --frames 7999..8000 --size 32x18 --video silent.mkv --quiet || fail "silent capture failed"
[ "$(probe silent.mkv v nb_read_frames)" = 2 ] || fail "silent video frames"
[ -z "$(probe silent.mkv a codec_type)" ] || fail "audio without c.ogg"
echo "ok"
