// ADSR envelopes (the four-stage contour of the classic analogue
// synthesisers; see Russ, "Sound Synthesis and Sampling", 3rd ed., ch. 5). The
// attack is a straight line that reaches 1 exactly attack seconds in, rounded
// to the sample, so that a note's loudest point falls where it was written;
// decay and release are exponential, as a capacitor discharges, with their
// time measured to -60 dB.
#include "envelope.h"

#include <cmath>

#include "sample_rate.h"

namespace {

// The per-sample factor that falls 60 dB in the given time.
double sixtyDbFactor(double seconds) {
    const double samples = std::fmax(1.0, seconds * kSampleRate);
    return std::pow(10.0, -3.0 / samples);
}

}  // namespace

void adsrStart(Adsr* env, const AdsrSettings& settings) {
    *env = Adsr{};
    env->attackSamples = std::lround(settings.attack * kSampleRate);
    env->decayFactor = sixtyDbFactor(settings.decay);
    env->releaseFactor = sixtyDbFactor(settings.release);
    env->sustain = settings.sustain;
}

void adsrRelease(Adsr* env) { env->released = true; }

double adsrNext(Adsr* env) {
    if (env->released) {
        env->level *= env->releaseFactor;
    } else if (env->age < env->attackSamples) {
        env->level = double(env->age) / double(env->attackSamples);
    } else if (env->age == env->attackSamples) {
        env->level = 1.0;
    } else {
        env->level = env->sustain + (env->level - env->sustain) * env->decayFactor;
    }
    env->age += 1;
    return env->level;
}
