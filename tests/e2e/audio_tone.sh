#!/usr/bin/env bash
# The show with a generated c.ogg, run to its natural end under SDL's disk
# audio driver: exit code 0, and the output holds the music from its start,
# in the left channel only, then silence (checked by qorv-audio-probe).
# usage: audio_tone.sh QORV PROBE   (inside xsession.sh)
source "$(dirname "$0")/audio_common.sh"

make_music "$work/c.ogg"
cd "$work" || exit 1
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" timeout 550 "$qorv"
code=$?
[ "$code" = 0 ] || fail "the show ended with '$code', wanted exit code 0"
"$probe" tone "$work/out.raw" || fail "the output does not hold the music"
echo "ok"
