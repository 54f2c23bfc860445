// The whole track: every note of the score through its instrument, the sends,
// the master's loudness, limiter and fade.
#pragma once

#include <vector>

#include "loudness.h"
#include "score.h"

struct MixReport {
    double gainDb = 0.0;        // the master gain the measurement set
    double deepestLimit = 1.0;  // the limiter's lowest gain
    Loudness final;             // of the finished mix
};

// Renders the score into interleaved stereo at the show's rate. False, with a
// message on stderr, when the loudness cannot be measured.
bool renderMix(std::vector<float>* out, MixReport* report, const Score& score);

// The finished mix's loudness, per section: out[i] is section i's integrated
// loudness in LUFS (-70 where it is silent).
void sectionLoudness(std::vector<double>* out, const std::vector<float>& mix, const Score& score);
