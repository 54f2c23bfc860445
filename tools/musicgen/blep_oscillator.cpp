// Band-limited saw and pulse oscillators. Each jump of the naive waveform gets
// the difference between a band-limited step and the ideal step added around
// it, which leaves the waveform convolved with a windowed-sinc low-pass: the
// BLEP method of Stilson and Smith ("Alias-Free Digital Synthesis of Classic
// Analog Waveforms", ICMC 1996), here with a symmetric (linear-phase) step
// rather than their minimum-phase one, since the music is rendered offline
// and can wait for the step's second half.
//
// The step is a Kaiser-windowed sinc (Kaiser and Schafer, 1980) of 48 taps,
// cut off at 18.5 kHz, beta 9: its stop band from about 21 kHz lies more than
// 80 dB down, so the saw's harmonics above the Nyquist frequency fold back far
// below the 40 dB that a two-sample polynomial step (about 26 dB at 3.95 kHz)
// cannot reach.
#include "blep_oscillator.h"

#include <cmath>
#include <vector>

#include "kaiser_window.h"
#include "sample_rate.h"

namespace {

constexpr int kPhases = 64;  // table points per sample; linear between them
constexpr int kTableSize = 2 * kBlepHalfWidth * kPhases + 1;
constexpr double kCutoffHz = 18500.0;
constexpr double kKaiserBeta = 9.0;

// residual[i]: the band-limited step minus the ideal step at time
// i / kPhases - kBlepHalfWidth samples from the jump.
std::vector<float> makeResidual() {
    const double pi = 3.14159265358979323846;
    const double fc = kCutoffHz / kSampleRate;  // cycles per sample
    std::vector<double> impulse(kTableSize);
    double total = 0.0;
    for (int i = 0; i < kTableSize; ++i) {
        const double t = double(i) / kPhases - kBlepHalfWidth;
        const double r = t / kBlepHalfWidth;
        const double window = kaiserWindow(r, kKaiserBeta);
        const double sinc = t == 0.0 ? 2.0 * fc : std::sin(2.0 * pi * fc * t) / (pi * t);
        impulse[i] = sinc * window;
        total += impulse[i];
    }
    // The running sum (trapezoids) of the impulse, scaled to end at exactly 1.
    std::vector<float> residual(kTableSize);
    double sum = 0.0;
    for (int i = 0; i < kTableSize; ++i) {
        const double before = sum;
        sum += impulse[i];
        const double step = (before + sum) * 0.5 / total;
        const double t = double(i) / kPhases - kBlepHalfWidth;
        residual[i] = float(step - (t >= 0.0 ? 1.0 : 0.0));
    }
    residual[kTableSize - 1] = 0.0f;
    return residual;
}

const std::vector<float>& residualTable() {
    static const std::vector<float> table = makeResidual();
    return table;
}

// Adds a jump of height that happened `ago` samples (0 <= ago < 1) before
// the sample at the front of the ring.
void addStep(BlepOscillator* osc, double ago, double height) {
    const std::vector<float>& table = residualTable();
    const unsigned front = osc->position;
    // Samples front - H .. front + H - 1 lie at times (m - front + ago) from
    // the jump; the ones already behind the output point carry nothing.
    for (int m = -kBlepHalfWidth; m < kBlepHalfWidth; ++m) {
        const double x = (m + ago + kBlepHalfWidth) * kPhases;
        if (x < 0.0 || x >= kTableSize - 1) continue;
        const int i = int(x);
        const double f = x - i;
        const double r = table[i] + (table[i + 1] - table[i]) * f;
        osc->ring[(front + unsigned(m)) & (kBlepRing - 1)] += float(height * r);
    }
}

double naiveValue(const BlepOscillator& osc) {
    if (osc.wave == Wave::saw) return 2.0 * osc.phase - 1.0;
    return osc.phase < osc.pulseWidth ? 1.0 : -1.0;
}

}  // namespace

void blepStart(BlepOscillator* osc, Wave wave, double phase, double pulseWidth) {
    *osc = BlepOscillator{};
    osc->wave = wave;
    osc->phase = phase;
    osc->pulseWidth = pulseWidth;
}

float blepNext(BlepOscillator* osc, double cyclesPerSample) {
    osc->position += 1;
    const double before = osc->phase;
    osc->phase += cyclesPerSample;
    if (osc->wave == Wave::pulse && before < osc->pulseWidth && osc->phase >= osc->pulseWidth)
        addStep(osc, (osc->phase - osc->pulseWidth) / cyclesPerSample, -2.0);
    if (osc->phase >= 1.0) {
        osc->phase -= 1.0;
        addStep(osc, osc->phase / cyclesPerSample, osc->wave == Wave::saw ? -2.0 : 2.0);
        if (osc->wave == Wave::pulse && osc->phase >= osc->pulseWidth)
            addStep(osc, (osc->phase - osc->pulseWidth) / cyclesPerSample, -2.0);
    }
    const unsigned front = osc->position & (kBlepRing - 1);
    osc->ring[front] += float(naiveValue(*osc));
    const unsigned out = (osc->position - kBlepHalfWidth) & (kBlepRing - 1);
    const float value = osc->ring[out];
    osc->ring[out] = 0.0f;
    return value;
}
