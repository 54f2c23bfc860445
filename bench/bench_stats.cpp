// Minimum, median and maximum of a set of timings.
#include "bench_stats.h"

#include <algorithm>

void summarize(TimeStats* out, std::vector<double>* samples) {
    if (samples->empty()) {
        *out = {0.0, 0.0, 0.0};
        return;
    }
    std::sort(samples->begin(), samples->end());
    const size_t n = samples->size();
    const double median =
        n % 2 ? (*samples)[n / 2] : 0.5 * ((*samples)[n / 2 - 1] + (*samples)[n / 2]);
    *out = {samples->front(), median, samples->back()};
}
