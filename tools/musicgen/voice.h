// One note of one instrument, rendered alone.
#pragma once

#include <cstdint>

#include "score.h"
#include "sequence.h"

// The frames a note needs: its held length and its tail.
long voiceFrames(const Instrument& instrument, const TimedNote& note);

// Adds the note into out (interleaved stereo, frames long) from its first
// sample, before the instrument's gain and pan; seed makes its noise and
// oscillator phases its own and the same on every run.
void renderVoice(float* out, long frames, const Instrument& instrument, const TimedNote& note,
                 uint32_t seed);

// The frequency of a MIDI note in equal temperament, A4 (69) = 440 Hz.
double pitchHz(double pitch);
