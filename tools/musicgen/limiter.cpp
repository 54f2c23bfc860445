// A look-ahead limiter (the feed-forward gain computer of Giannoulis, Massberg
// and Reiss, "Digital Dynamic Range Compressor Design - A Tutorial and
// Analysis", JAES 60(6), 2012, with an infinite ratio above the ceiling). The
// gain that each sample needs is taken as the minimum over the look-ahead
// window that follows every point, and that is smoothed with a moving average
// of the window's length: every value averaged then already covers the sample
// it lands on, so the gain falls smoothly before a peak and the ceiling holds
// exactly, not on average. The release follows on the minimum, before the
// average, which keeps that guarantee.
#include "limiter.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "sample_rate.h"

namespace {
constexpr double kMargin = 1.0 - 1e-6;
}  // namespace

double limit(float* frames, long count, const float* peaks, double scale,
             const LimiterSettings& s) {
    const long window = std::max(1L, std::lround(s.lookAhead * kSampleRate));
    // The gain each sample needs on its own.
    std::vector<double> need(count);
    for (long i = 0; i < count; ++i) {
        const double peak = peaks[i] * scale;
        // A part in a million below the ceiling, so that rounding the
        // product to float cannot carry it over.
        need[i] = peak > s.ceiling * kMargin ? s.ceiling * kMargin / peak : 1.0;
    }
    // held[i]: the least need over [i, i + window - 1], by a monotonic queue,
    // then let rise no faster than the release.
    std::vector<double> held(count);
    std::deque<long> queue;
    const double recover = std::pow(10.0, -3.0 / std::max(1.0, s.release * kSampleRate));
    double released = 1.0;
    long next = 0;
    for (long i = 0; i < count; ++i) {
        for (; next < std::min(count, i + window); ++next) {
            while (!queue.empty() && need[queue.back()] >= need[next]) queue.pop_back();
            queue.push_back(next);
        }
        while (queue.front() < i) queue.pop_front();
        released = 1.0 - (1.0 - released) * recover;
        released = std::min(released, need[queue.front()]);
        held[i] = released;
    }
    // The average of held over [i - window + 1, i]: each term's window holds i.
    double sum = 0.0, deepest = 1.0;
    for (long i = 0; i < count; ++i) {
        sum += held[i];
        if (i >= window) sum -= held[i - window];
        // Near the start fewer terms exist; their average holds just as well.
        const long terms = std::min(i + 1, window);
        const double gain = std::min(sum / terms, need[i]);
        deepest = std::min(deepest, gain);
        frames[2 * i] = float(frames[2 * i] * scale * gain);
        frames[2 * i + 1] = float(frames[2 * i + 1] * scale * gain);
    }
    return deepest;
}
