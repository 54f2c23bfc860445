// A two-operator FM voice: a sine carrier whose phase a sine modulator moves.
#pragma once

struct FmOperator {
    double carrierPhase = 0.0;    // cycles
    double modulatorPhase = 0.0;  // cycles
};

// The next sample for a carrier frequency (cycles per sample), the
// modulator's frequency as a ratio to it, and the modulation index (the
// modulator's peak phase deviation, in radians).
double fmNext(FmOperator* op, double cyclesPerSample, double ratio, double index);
