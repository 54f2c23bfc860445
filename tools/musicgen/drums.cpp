// Drum voices built the way analogue drum machines build them, as described
// by Gordon Reid's "Synth Secrets" series (Sound On Sound, 2002): the kick is
// a sine whose pitch falls exponentially after the hit, with a short noise
// click for the beater; the snare is two decaying sines for the drumhead's
// first modes (their ratio about 1.78, the circular membrane's (1,1) and
// (2,1) modes) plus band-passed noise for the snares; hats and cymbals are
// high-passed noise with a fast or slow decay.
#include "drums.h"

#include <cmath>

#include "noise.h"
#include "sample_rate.h"
#include "svf.h"

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
// The membrane's (2,1) mode over its (1,1) mode (Rossing, "The Physics of
// Musical Instruments", table of circular membrane modes: 2.92 / 1.59 of the
// fundamental's frequency).
constexpr double kSecondModeRatio = 1.78;

// Per-sample factor for a fall of 60 dB in the given seconds.
double sixtyDb(double seconds) {
    return std::pow(10.0, -3.0 / std::fmax(1.0, seconds * kSampleRate));
}

}  // namespace

void renderKick(float* out, long count, const KickSettings& s, double velocity, uint32_t seed) {
    Noise noise{seed | 1u};
    Svf clickFilter;
    svfSet(&clickFilter, 3000.0, 0.7);
    const double pitchFactor = std::exp(-1.0 / (s.sweep * kSampleRate));
    const double ampFactor = sixtyDb(s.decay);
    const double clickFactor = sixtyDb(0.012);
    double phase = 0.0, pitchDistance = s.startHz - s.endHz, amp = 1.0, click = s.click;
    const double norm = std::tanh(s.drive);
    for (long i = 0; i < count; ++i) {
        const double hz = s.endHz + pitchDistance;
        // Sine from phase 0: the hit starts at zero and needs no fade-in.
        const double body = std::sin(kTwoPi * phase) * amp;
        const double c = svfNext(&clickFilter, noiseNext(&noise)).band * click;
        out[i] = float(velocity * std::tanh(s.drive * (body + c)) / norm);
        phase += hz / kSampleRate;
        phase -= std::floor(phase);
        pitchDistance *= pitchFactor;
        amp *= ampFactor;
        click *= clickFactor;
    }
}

void renderSnare(float* out, long count, const SnareSettings& s, double velocity, uint32_t seed) {
    Noise noise{seed | 1u};
    Svf band;
    svfSet(&band, s.colorHz, 0.8);
    const double toneFactor = sixtyDb(s.toneDecay);
    const double noiseFactor = sixtyDb(s.noiseDecay);
    double tone = 1.0, snares = s.noise;
    for (long i = 0; i < count; ++i) {
        const double t = double(i) / kSampleRate;
        const double head = 0.6 * std::sin(kTwoPi * s.toneHz * t) +
                            0.4 * std::sin(kTwoPi * s.toneHz * kSecondModeRatio * t);
        const SvfOut f = svfNext(&band, noiseNext(&noise));
        out[i] = float(velocity * (head * tone + (f.band + 0.5 * f.high) * snares));
        tone *= toneFactor;
        snares *= noiseFactor;
    }
}

void renderHat(float* out, long count, const HatSettings& s, double velocity, uint32_t seed) {
    Noise noise{seed | 1u};
    Svf first, second;
    svfSet(&first, s.cutoffHz, s.q);
    svfSet(&second, s.cutoffHz, s.q);
    const double factor = sixtyDb(s.decay);
    // A 2 ms rise keeps the hit from starting with a step.
    const long rise = kSampleRate / 500;
    double amp = 1.0;
    for (long i = 0; i < count; ++i) {
        const double h = svfNext(&second, svfNext(&first, noiseNext(&noise)).high).high;
        const double shape = i < rise ? double(i) / rise : 1.0;
        out[i] = float(velocity * h * amp * shape);
        amp *= factor;
    }
}
