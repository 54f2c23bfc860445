// A stereo reverb of parallel combs and series all-passes per side.
#pragma once

struct ReverbSettings {
    double rt60 = 2.0;     // seconds for the low frequencies to fall 60 dB
    double damping = 0.3;  // 0..1: how much faster the highs fall
};

// Adds the reverberation of in (mono, frames long) into out (stereo,
// interleaved): both sides hear the same input through their own delays.
void reverb(float* out, const float* in, long frames, const ReverbSettings& settings);
