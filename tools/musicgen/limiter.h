// A look-ahead peak limiter for the master.
#pragma once

struct LimiterSettings {
    double ceiling = 0.84;     // linear: no output sample's magnitude exceeds it
    double lookAhead = 0.005;  // seconds: how early the gain starts to fall
    double release = 0.15;     // seconds for the gain to recover 60 dB of the way
};

// Limits interleaved stereo in place so that no peak exceeds the ceiling;
// returns the deepest gain it applied. peaks[i] is sample i's peak before
// `scale` (the larger channel's magnitude, or a true-peak estimate that is at
// least that), scaled here, so that a peak estimate is made once for many
// trial gains.
double limit(float* frames, long count, const float* peaks, double scale,
             const LimiterSettings& settings);
