// Band-limited saw and pulse oscillators: a naive waveform whose jumps are
// corrected with a windowed-sinc band-limited step (BLEP).
#pragma once

// Half the length of the band-limited step, in samples: the oscillator's
// output lags its phase by this much.
constexpr int kBlepHalfWidth = 24;
constexpr int kBlepRing = 64;  // a power of two above twice the half width

enum class Wave { saw, pulse };

struct BlepOscillator {
    Wave wave = Wave::saw;
    double phase = 0.0;       // in cycles, [0, 1)
    double pulseWidth = 0.5;  // the fraction of a cycle a pulse is high
    float ring[kBlepRing] = {};
    unsigned position = 0;  // the sample now written at the front of the ring
};

// Starts the oscillator at a phase; the first kBlepHalfWidth samples it gives
// are its run-in, which the caller renders and drops.
void blepStart(BlepOscillator* osc, Wave wave, double phase, double pulseWidth);

// The next output sample, between -1 and 1 (plus the step's ripple), for a
// frequency given as cycles per sample (below 0.5).
float blepNext(BlepOscillator* osc, double cyclesPerSample);
