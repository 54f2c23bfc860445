#!/usr/bin/env bash
# The show with a generated c.ogg under SDL's disk audio driver: the output
# holds the music from its start, in the left channel only, then silence
# (checked by qorv-audio-probe), and the show ends with exit code 0. The
# first run's c.ogg is chained: two streams at different rates, played whole.
# usage: audio_tone.sh QORV PROBE   (inside xsession.sh)
source "$(dirname "$0")/audio_common.sh"

# Drawn by llvmpipe, ended by Escape once the whole music and some silence
# after it have played.
mkdir "$work/escape"
make_music "$work/escape/c.ogg" chained
run_until_escape "$work/escape" 5
[ "$code" = 0 ] || fail "Escape ended the show with '$code', wanted exit code 0"
"$probe" tone "$work/escape/out.raw" 2.0 || fail "the output does not hold the music"

# NOTE: llvmpipe takes far too long over all 8000 frames; Mesa's no-op driver
# takes every GL call and draws nothing, so the show runs to its natural end
# in about a second, with the music playing for as long as it lasts.
mkdir "$work/natural"
make_music "$work/natural/c.ogg"
cd "$work/natural" || exit 1
GALLIUM_NOOP=true SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/natural/out.raw" timeout 300 "$qorv"
code=$?
[ "$code" = 0 ] || fail "the show's natural end gave '$code', wanted exit code 0"
"$probe" tone "$work/natural/out.raw" 0.05 || fail "the output does not hold the music"
echo "ok"
