// The state-variable filter discretised with the trapezoidal rule and the
// cutoff pre-warped with tan, which keeps the analogue response exactly at the
// cutoff (the low-pass is -3 dB there at Q = 0.707) and stays stable while the
// cutoff moves. The update equations are the ones published by Andrew Simper,
// "Linear Trapezoidal Integrated SVF" (Cytomic technical paper, 2013), and
// derived by Vadim Zavalishin, "The Art of VA Filter Design" (2012), ch. 4.
#include "svf.h"

#include <cmath>

#include "sample_rate.h"

void svfSet(Svf* filter, double cutoffHz, double q) {
    const double pi = 3.14159265358979323846;
    const double g = std::tan(pi * cutoffHz / kSampleRate);
    filter->k = 1.0 / q;
    filter->a1 = 1.0 / (1.0 + g * (g + filter->k));
    filter->a2 = g * filter->a1;
    filter->a3 = g * filter->a2;
}

SvfOut svfNext(Svf* filter, double input) {
    const double v3 = input - filter->ic2;
    const double v1 = filter->a1 * filter->ic1 + filter->a2 * v3;
    const double v2 = filter->ic2 + filter->a2 * filter->ic1 + filter->a3 * v3;
    filter->ic1 = 2.0 * v1 - filter->ic1;
    filter->ic2 = 2.0 * v2 - filter->ic2;
    return SvfOut{v2, v1, input - filter->k * v1 - v2};
}
