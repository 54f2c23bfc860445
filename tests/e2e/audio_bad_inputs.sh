#!/usr/bin/env bash
# The show with every kind of bad c.ogg, and with no audio device: it starts,
# runs until Escape and ends with exit code 0, and plays nothing.
# usage: audio_bad_inputs.sh QORV PROBE   (inside xsession.sh)
source "$(dirname "$0")/audio_common.sh"

sh "$here/../unit/make_audio_samples.sh" "$work/samples" >/dev/null || fail "cannot make samples"
samples="$work/samples"
failures=0

# check CASE SOUND [VAR=value...]: runs the show in $work/CASE, where c.ogg
# has been set up; SOUND is "silent" when nothing may play, "any" otherwise.
check() {
  local name="$1" sound="$2"
  shift 2
  run_until_escape "$work/$name" 3 "$@"
  local result="exit $code"
  [ "$code" = 0 ] || { failures=$((failures + 1)); result="$result FAIL"; }
  if [ "$sound" = silent ]; then
    "$probe" silent "$work/$name/out.raw" >"$work/$name/probe" ||
      { failures=$((failures + 1)); result="$result, sound FAIL"; }
  fi
  echo "$name: $result"
}

case_dir() { mkdir -p "$work/$1" && echo "$work/$1"; }

case_dir missing >/dev/null
check missing silent

cp "$samples/empty.ogg" "$(case_dir empty)/c.ogg"
check empty silent

# Cut inside the setup header: nothing decodes.
head -c 1000 "$samples/tone_stereo_44100.ogg" >"$(case_dir truncated_header)/c.ogg"
check truncated_header silent

cp "$samples/random.ogg" "$(case_dir random)/c.ogg"
check random silent

cp "$samples/opus.ogg" "$(case_dir opus)/c.ogg"
check opus silent

mkdir "$(case_dir directory)/c.ogg"
check directory silent

mkfifo "$(case_dir fifo)/c.ogg"
check fifo silent

truncate -s 1G "$(case_dir zeros)/c.ogg"
check zeros silent

cp "$samples/tone_stereo_44100.ogg" "$(case_dir unreadable)/c.ogg"
chmod 000 "$work/unreadable/c.ogg"
if [ "$(id -u)" = 0 ]; then
  # Root reads it anyway; it then plays, and only the exit code counts.
  check unreadable any
else
  check unreadable silent
fi

# Cut in the middle of a page of music, and music followed by noise: what
# decodes plays, then silence; the show goes on either way.
cp "$samples/truncated.ogg" "$(case_dir truncated_music)/c.ogg"
check truncated_music any
cp "$samples/corrupt_tail.ogg" "$(case_dir corrupt_tail)/c.ogg"
check corrupt_tail any

# No audio device: SDL's dummy driver, and a driver that does not exist.
make_music "$(case_dir dummy_device)/c.ogg"
check dummy_device silent SDL_AUDIODRIVER=dummy
make_music "$(case_dir no_driver)/c.ogg"
check no_driver silent SDL_AUDIODRIVER=no-such-driver

[ "$failures" = 0 ] || fail "$failures failed checks"
echo "ok"
