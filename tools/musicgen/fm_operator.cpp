// Two-operator frequency modulation after John Chowning, "The Synthesis of
// Complex Audio Spectra by Means of Frequency Modulation" (JAES 21(7), 1973):
// a carrier sin(wc t + I sin(wm t)), whose sidebands at wc +- k wm follow the
// Bessel functions J_k(I). Ratios are whole, so the spectrum stays harmonic,
// and the index small enough that the sidebands above 20 kHz are negligible.
#include "fm_operator.h"

#include <cmath>

double fmNext(FmOperator* op, double cyclesPerSample, double ratio, double index) {
    const double twoPi = 6.28318530717958647692;
    const double value =
        std::sin(twoPi * op->carrierPhase + index * std::sin(twoPi * op->modulatorPhase));
    op->carrierPhase += cyclesPerSample;
    op->carrierPhase -= std::floor(op->carrierPhase);
    op->modulatorPhase += cyclesPerSample * ratio;
    op->modulatorPhase -= std::floor(op->modulatorPhase);
    return value;
}
