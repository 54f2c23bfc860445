// The trapezoidal state-variable filter: low-, band- and high-pass at once.
#pragma once

struct Svf {
    double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 0.0;  // from cutoff and Q
    double ic1 = 0.0, ic2 = 0.0;                   // the two integrators' states
};

struct SvfOut {
    double low, band, high;
};

// Sets cutoff (Hz, below the Nyquist frequency) and Q; keeps the state, so
// the cutoff can move while the filter runs.
void svfSet(Svf* filter, double cutoffHz, double q);
SvfOut svfNext(Svf* filter, double input);
