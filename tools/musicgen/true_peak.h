// Peaks between samples: what a reconstructing converter (or a decoder's
// ringing) can reach where the samples themselves stay lower.
#pragma once

// out[i]: the largest magnitude of either channel of interleaved stereo at
// sample i and at the quarter-sample points after it, by 4x oversampling.
void truePeaks(float* out, const float* frames, long count);
