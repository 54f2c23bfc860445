// The instruments' voices: drums from their own generators, the subtractive
// synth (unison band-limited oscillators and a sine sub, through the
// state-variable filter swept by its own envelope, under an amplitude
// envelope) and the two-operator FM voice.
#include "voice.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "blep_oscillator.h"
#include "drums.h"
#include "envelope.h"
#include "fm_operator.h"
#include "noise.h"
#include "sample_rate.h"
#include "svf.h"

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
// The filter's coefficients follow its envelope every this many samples:
// tan per sample is the render's largest cost, and 0.36 ms steps are far
// shorter than any sweep.
constexpr int kFilterStep = 16;
// The highest cutoff the filter is set to, safely below the Nyquist frequency.
constexpr double kTopCutoff = 18000.0;
// A tail ends when its envelope is 80 dB down: 4/3 of its 60 dB time.
constexpr double kTailPast60Db = 4.0 / 3.0;

double get(const Instrument& i, const char* name) { return instrumentSetting(i, name); }

AdsrSettings ampEnvelope(const Instrument& i) {
    return AdsrSettings{get(i, "attack"), get(i, "decay"), get(i, "sustain"), get(i, "release")};
}

void renderSynth(float* out, long frames, const Instrument& inst, const TimedNote& note,
                 uint32_t seed) {
    const int voices = int(get(inst, "voices"));
    const double detune = get(inst, "detune");
    const double width = get(inst, "width");
    const double sub = get(inst, "sub");
    const double cutoff = get(inst, "cutoff");
    const double q = get(inst, "q");
    const double envmod = get(inst, "envmod");
    const Wave wave = get(inst, "wave") >= 0.5 ? Wave::pulse : Wave::saw;
    const double hz = pitchHz(note.pitch + 12.0 * get(inst, "octave"));
    Noise random{seed | 1u};

    std::vector<BlepOscillator> oscs(voices);
    std::vector<double> step(voices), left(voices), right(voices);
    for (int v = 0; v < voices; ++v) {
        // Unison voices spread evenly in pitch and across the stereo field,
        // each from a phase of its own so that they do not start as one.
        const double spread = voices == 1 ? 0.0 : double(v) / (voices - 1) - 0.5;
        step[v] = hz * std::pow(2.0, detune * spread / 1200.0) / kSampleRate;
        const double angle = (1.0 + width * 2.0 * spread) * kTwoPi / 8.0;
        left[v] = std::cos(angle) / std::sqrt(double(voices));
        right[v] = std::sin(angle) / std::sqrt(double(voices));
        blepStart(&oscs[v], wave, 0.5 + 0.5 * noiseNext(&random), get(inst, "pw"));
        for (int i = 0; i < kBlepHalfWidth; ++i) blepNext(&oscs[v], step[v]);
    }
    Adsr amp, filterEnv;
    adsrStart(&amp, ampEnvelope(inst));
    adsrStart(&filterEnv, AdsrSettings{get(inst, "fattack"), get(inst, "fdecay"),
                                       get(inst, "fsustain"), get(inst, "frelease")});
    Svf filterLeft, filterRight;
    double subPhase = 0.0;
    for (long i = 0; i < frames; ++i) {
        if (i == note.length) {
            adsrRelease(&amp);
            adsrRelease(&filterEnv);
        }
        const double level = adsrNext(&amp);
        const double f = adsrNext(&filterEnv);
        if (i % kFilterStep == 0) {
            const double hzNow = std::min(kTopCutoff, cutoff + envmod * f);
            svfSet(&filterLeft, hzNow, q);
            svfSet(&filterRight, hzNow, q);
        }
        double l = 0.0, r = 0.0;
        for (int v = 0; v < voices; ++v) {
            const double x = blepNext(&oscs[v], step[v]);
            l += x * left[v];
            r += x * right[v];
        }
        double s = 0.0;
        if (sub > 0.0) {
            s = sub * std::sin(kTwoPi * subPhase);
            subPhase += 0.5 * hz / kSampleRate;
            subPhase -= std::floor(subPhase);
        }
        out[2 * i] += float(level * note.velocity * (svfNext(&filterLeft, l).low + s));
        out[2 * i + 1] += float(level * note.velocity * (svfNext(&filterRight, r).low + s));
    }
}

void renderFm(float* out, long frames, const Instrument& inst, const TimedNote& note) {
    const double step = pitchHz(note.pitch) / kSampleRate;
    const double ratio = get(inst, "ratio");
    const double indexFactor =
        std::pow(10.0, -3.0 / std::max(1.0, get(inst, "indexdecay") * kSampleRate));
    double index = get(inst, "index");
    FmOperator op;
    Adsr amp;
    adsrStart(&amp, ampEnvelope(inst));
    for (long i = 0; i < frames; ++i) {
        if (i == note.length) adsrRelease(&amp);
        const double x = adsrNext(&amp) * note.velocity * fmNext(&op, step, ratio, index);
        out[2 * i] += float(x);
        out[2 * i + 1] += float(x);
        index *= indexFactor;
    }
}

void renderDrum(float* out, long frames, const Instrument& inst, const TimedNote& note,
                uint32_t seed) {
    std::vector<float> mono(frames);
    if (inst.kind == InstrumentKind::kick) {
        renderKick(mono.data(), frames,
                   KickSettings{get(inst, "pitch"), get(inst, "end"), get(inst, "sweep"),
                                get(inst, "decay"), get(inst, "click"), get(inst, "drive")},
                   note.velocity, seed);
    } else if (inst.kind == InstrumentKind::snare) {
        renderSnare(mono.data(), frames,
                    SnareSettings{get(inst, "tone"), get(inst, "tonedecay"), get(inst, "noise"),
                                  get(inst, "noisedecay"), get(inst, "color")},
                    note.velocity, seed);
    } else {
        renderHat(mono.data(), frames,
                  HatSettings{get(inst, "cutoff"), get(inst, "decay"), get(inst, "q")},
                  note.velocity, seed);
    }
    for (long i = 0; i < frames; ++i) {
        out[2 * i] += mono[i];
        out[2 * i + 1] += mono[i];
    }
}

}  // namespace

double pitchHz(double pitch) { return 440.0 * std::pow(2.0, (pitch - 69.0) / 12.0); }

long voiceFrames(const Instrument& inst, const TimedNote& note) {
    double tail = 0.0;
    switch (inst.kind) {
    case InstrumentKind::kick:
        tail = get(inst, "decay");
        break;
    case InstrumentKind::snare:
        tail = std::max(get(inst, "tonedecay"), get(inst, "noisedecay"));
        break;
    case InstrumentKind::hat:
        tail = get(inst, "decay");
        break;
    case InstrumentKind::synth:
    case InstrumentKind::fm:
        return note.length + long(get(inst, "release") * kTailPast60Db * kSampleRate);
    }
    return long(tail * kTailPast60Db * kSampleRate);
}

void renderVoice(float* out, long frames, const Instrument& inst, const TimedNote& note,
                 uint32_t seed) {
    if (inst.kind == InstrumentKind::synth)
        renderSynth(out, frames, inst, note, seed);
    else if (inst.kind == InstrumentKind::fm)
        renderFm(out, frames, inst, note);
    else
        renderDrum(out, frames, inst, note, seed);
}
