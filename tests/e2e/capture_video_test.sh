#!/usr/bin/env bash
# --video pipes the frames to ffmpeg: the file plays, ffprobe counts every
# frame, and "c.ogg" from the working folder is muxed as long as the frames;
# without one there, the c.ogg beside the program; with neither the video is
# silent. The recipe for spreading a capture over
# machines, on this one: two ranges rendered as video-only parts, joined with
# ffmpeg's concat demuxer without re-encoding and the music muxed once over
# the whole; the result has every frame, evenly spaced across the join, and
# music exactly as long.
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

# The recipe of the README, for frames 1..12 in two parts.
"$capture" --frames 1..6 --size 64x36 --fps 12 --no-music --video part-1.mp4 --quiet ||
  fail "part 1 failed"
"$capture" --frames 7..12 --size 64x36 --fps 12 --no-music --video part-2.mp4 --quiet ||
  fail "part 2 failed"
[ -z "$(probe part-1.mp4 a codec_type)" ] || fail "--no-music part has audio"
printf "file '%s'\n" part-1.mp4 part-2.mp4 >parts.txt
ffmpeg -v error -f concat -safe 0 -i parts.txt -ss 0 -t 1 -i c.ogg \
  -map 0:v -map 1:a -c:v copy -c:a aac joined.mp4 || fail "joining the parts failed"
[ "$(probe joined.mp4 v nb_read_frames)" = 12 ] || fail "joined frames: $(probe joined.mp4 v nb_read_frames)"
audio=$(probe joined.mp4 a duration)
python3 -c "import sys; sys.exit(0 if abs(float('$audio') - 1.0) < 0.05 else 1)" ||
  fail "joined music lasts $audio s, wanted 1.0 s"
# Frame n at (n - 1) / 12 s, and a keyframe where part 2 begins.
ffprobe -v error -select_streams v -show_entries frame=pts_time,key_frame -of csv=p=0 joined.mp4 |
  python3 -c '
import sys
rows = [line.strip().split(",") for line in sys.stdin if line.strip()]
times = [float(r[1]) for r in rows]
bad = [i for i, t in enumerate(times) if abs(t - i / 12) > 1e-3]
sys.exit(1 if bad or rows[6][0] != "1" else 0)' || fail "the joined frames are not evenly spaced"
rm part-1.mp4 part-2.mp4 parts.txt joined.mp4

# Without c.ogg in the working folder, the one beside the program plays: the
# build puts the soundtrack there.
rm c.ogg
[ -f "$(dirname "$capture")/c.ogg" ] || fail "no c.ogg beside $capture"
"$capture" --frames 1..12 --size 32x18 --fps 12 --video beside.mkv --quiet ||
  fail "capture with the music beside it failed"
[ -n "$(probe beside.mkv a codec_type)" ] || fail "no audio from the c.ogg beside the program"
rm beside.mkv

# With neither, the video is silent: a copy of the program in a folder of its own.
mkdir alone && cp "$capture" alone/ || fail "cannot copy $capture"
alone/qorv-capture --frames 7999..8000 --size 32x18 --video silent.mkv --quiet ||
  fail "silent capture failed"
[ "$(probe silent.mkv v nb_read_frames)" = 2 ] || fail "silent video frames"
[ -z "$(probe silent.mkv a codec_type)" ] || fail "audio without c.ogg"
echo "ok"
