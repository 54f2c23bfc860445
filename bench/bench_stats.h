// Summaries of repeated timings.
#pragma once

#include <vector>

struct TimeStats {
    double min, median, max;
};

// Sorts the samples in place and summarises them; all zero when empty.
void summarize(TimeStats* out, std::vector<double>* samples);
