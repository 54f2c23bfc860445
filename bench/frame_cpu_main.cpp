// qorv-bench-frame-cpu: the show's frame routine linked against the null GL,
// so its time per frame is the CPU cost of our own code apart from any
// driver. qorv-bench runs it and reads its lines:
//   frame N MICROSECONDS     (median of batches, for each frame named)
//   timeline MICROSECONDS    (mean over frames 1..8000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_stats.h"
#include "null_gl.h"
#include "show/frame_clock.h"
#include "show/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    // usage: qorv-bench-frame-cpu [--quick] N...
    bool quick = false;
    std::vector<int> frames;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            frames.push_back(std::atoi(argv[i]));
    }
    loadNullGl();
    const int batches = quick ? 5 : 21;
    const int perBatch = quick ? 200 : 2000;

    for (int n : frames) {
        if (n < 1 || n > kLastPresentedFrame) return 2;
        std::vector<double> batchMeans;
        for (int b = 0; b < batches; ++b) {
            Clock::time_point t = Clock::now();
            for (int r = 0; r < perBatch; ++r) {
                frameCounter = n - 1.0;
                renderFrame();
            }
            batchMeans.push_back(microsecondsSince(t) / perBatch);
        }
        TimeStats stats;
        summarize(&stats, &batchMeans);
        std::printf("frame %d %.4f\n", n, stats.median);
    }

    // The whole timeline in order, as the show runs it; the best of a few runs.
    double best = 1e30;
    for (int run = 0; run < (quick ? 2 : 5); ++run) {
        Clock::time_point t = Clock::now();
        frameCounter = 0.0;
        for (int n = 1; n <= kLastPresentedFrame; ++n) renderFrame();
        best = std::min(best, microsecondsSince(t) / kLastPresentedFrame);
    }
    std::printf("timeline %.4f\n", best);
    return 0;
}
