#!/bin/sh
# Makes the audio test material in the given folder: short 440 Hz tones as
# Ogg Vorbis (mono and stereo, 44.1 and 48 kHz, one with the tone in the left
# channel only) and every kind of bad "c.ogg" the music layer must survive.
# Usage: make_audio_samples.sh DIR
set -eu
dir="$1"
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

# sox -R: repeatable noise, so the same bytes every run. Tones at half of full
# scale leave the encoder's overshoot room below clipping.
seconds=1.5
for rate in 44100 48000; do
  sox -R -n -r $rate -c 1 -b 16 mono_$rate.wav synth $seconds sine 440 gain -6
  sox -R -n -r $rate -c 2 -b 16 stereo_$rate.wav synth $seconds sine 440 gain -6
  sox -R -n -r $rate -c 2 -b 16 left_$rate.wav synth $seconds sine 440 gain -6 remix 1 0
  for kind in mono stereo left; do
    oggenc -Q -q 4 -c "TITLE=test tone" -o tone_${kind}_$rate.ogg ${kind}_$rate.wav
  done
done

# Hard edges make the encoder switch between long and short blocks, whose
# overlap hands out frames longer than half a long block.
sox -R -n -r 44100 -c 2 -b 16 square.wav synth 2 square 5 gain -6
oggenc -Q -q 4 -o square_44100.ogg square.wav

# Long enough that cutting it leaves several pages on either side.
sox -R -n -r 44100 -c 2 -b 16 long.wav synth 6 sine 440 gain -6
oggenc -Q -q 4 -o long.ogg long.wav

# Chained files, as concatenation makes them: each stream plays in turn at its
# own rate and channel count, converted to the first one's rate.
cat tone_stereo_44100.ogg tone_mono_48000.ogg > chained_44100.ogg
cat tone_stereo_48000.ogg tone_left_44100.ogg tone_stereo_48000.ogg > chained_48000.ogg

# Bad inputs.
: > empty.ogg
size=$(wc -c < long.ogg)
# Cut in the middle of a page: the pages of this file are a few kilobytes, so
# the middle of the file plus an odd amount lands inside one.
head -c $((size / 2 + 777)) long.ogg > truncated.ogg
# Valid first half, noise after: decodes partly, then fails.
head -c $((size / 2)) long.ogg > corrupt_tail.ogg
sox -R -n -t raw -r 8000 -b 8 -e signed -c 1 - synth 4 whitenoise >> corrupt_tail.ogg
sox -R -n -t raw -r 8000 -b 8 -e signed -c 1 random.ogg synth 8 whitenoise
opusenc --quiet stereo_48000.wav opus.ogg
mkdir directory.ogg
mkfifo fifo.ogg
cp tone_stereo_44100.ogg unreadable.ogg
chmod 000 unreadable.ogg
# One gibibyte of zeros that takes no disk space.
truncate -s 1G zeros.ogg
# A tone behind 1000 bytes of something else, for opening at an offset.
head -c 1000 random.ogg > offset.ogg
cat long.ogg >> offset.ogg

rm -f ./*.wav
