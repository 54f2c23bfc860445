// True-peak estimation by 4x oversampling, the method of ITU-R BS.1770-4,
// Annex 2: the signal is interpolated at the three points between each pair
// of samples and the largest magnitude taken. The interpolator here is a
// Kaiser-windowed sinc of 32 taps per phase (beta 8), flat to about 19 kHz.
#include "true_peak.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "kaiser_window.h"

namespace {

constexpr int kTaps = 32;  // per phase: 16 samples before and 16 after
constexpr int kPhases = 4;
constexpr double kBeta = 8.0;

struct Interpolator {
    float taps[kPhases][kTaps];
};

Interpolator makeInterpolator() {
    const double pi = 3.14159265358979323846;
    Interpolator f{};
    for (int p = 1; p < kPhases; ++p) {
        double sum = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            // The tap for the sample k - 15 places from i, at time i + p / 4.
            const double t = double(k - kTaps / 2 + 1) - double(p) / kPhases;
            const double r = t / (kTaps / 2);
            const double w = kaiserWindow(r, kBeta);
            f.taps[p][k] = float(std::sin(pi * t) / (pi * t) * w);
            sum += f.taps[p][k];
        }
        for (int k = 0; k < kTaps; ++k) f.taps[p][k] = float(f.taps[p][k] / sum);
    }
    return f;
}

}  // namespace

void truePeaks(float* out, const float* frames, long count) {
    static const Interpolator f = makeInterpolator();
    // Each side on its own, with silence before the start and after the end,
    // so that the taps need no test in the loop.
    std::vector<float> side(count + kTaps);
    for (long i = 0; i < count; ++i)
        out[i] = std::max(std::fabs(frames[2 * i]), std::fabs(frames[2 * i + 1]));
    for (int s = 0; s < 2; ++s) {
        for (long i = 0; i < count; ++i) side[i + kTaps / 2 - 1] = frames[2 * i + s];
        for (long i = 0; i < count; ++i) {
            const float* x = &side[i];
            float peak = out[i];
            for (int p = 1; p < kPhases; ++p) {
                float v = 0.0f;
                for (int k = 0; k < kTaps; ++k) v += f.taps[p][k] * x[k];
                peak = std::max(peak, std::fabs(v));
            }
            out[i] = peak;
        }
    }
}
