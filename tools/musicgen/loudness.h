// EBU R128 measurements of a stereo mix, through libebur128.
#pragma once

struct Loudness {
    double integrated = 0.0;  // LUFS
    double range = 0.0;       // LU
    double truePeak = 0.0;    // dBTP, the larger side; only when asked for
};

// Measures interleaved stereo at the show's rate, with the true peak if
// asked (its 4x oversampling costs more than the rest); false if libebur128
// fails.
bool measureLoudness(Loudness* out, const float* frames, long count, bool truePeak);
