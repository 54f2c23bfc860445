// The mixer: each note rendered alone and added into three buses (dry, and
// the reverb's and the delay's sends in mono) with its instrument's gain, constant-power
// pan and ducking; the effects' returns join the dry bus; then the master: a
// DC-blocking high-pass, the fade, the gain that brings the integrated
// loudness to the score's target, and the look-ahead limiter.
#include "mix.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "limiter.h"
#include "note_timing.h"
#include "reverb.h"
#include "sample_rate.h"
#include "sequence.h"
#include "stereo_delay.h"
#include "svf.h"
#include "true_peak.h"
#include "voice.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Ducking: a kick pushes the ducked parts down within 5 ms, and they come
// back with this time constant.
constexpr double kDuckAttack = 0.005;
constexpr double kDuckRecover = 0.12;
// The master's high-pass: below any note, above the slow drift that a
// lopsided kick leaves.
constexpr double kDcCutoff = 20.0;
// The limiter, then the gain: each pass corrects the gain by what the last
// limiting took off; the second lands within a tenth of a LU of the target.
constexpr int kGainPasses = 2;

double db(double value) { return std::pow(10.0, value / 20.0); }

// How far each moment is pushed down by the kicks: 1 just after a hit, back
// towards 0 with the recovery time.
void duckCurve(std::vector<float>* out, long frames, const Score& score,
               const std::vector<std::vector<TimedNote>>& notes) {
    out->assign(frames, 0.0f);
    const long attack = std::lround(kDuckAttack * kSampleRate);
    const double recover = std::exp(-1.0 / (kDuckRecover * kSampleRate));
    for (size_t i = 0; i < score.instruments.size(); ++i) {
        if (score.instruments[i].kind != InstrumentKind::kick) continue;
        for (const TimedNote& note : notes[i]) {
            double level = 1.0;
            for (long t = note.start; t < frames && level > 1e-3; ++t) {
                const long age = t - note.start;
                const double v = age < attack ? double(age) / attack : (level *= recover);
                (*out)[t] = std::max((*out)[t], float(v * std::min(1.0, note.velocity)));
            }
        }
    }
}

void addInstrument(std::vector<float>* dry, std::vector<float>* reverbSend,
                   std::vector<float>* delaySend, const Instrument& instrument,
                   const std::vector<TimedNote>& notes, const std::vector<float>& duck,
                   uint32_t instrumentSeed) {
    const long frames = long(dry->size() / 2);
    std::vector<float> voice;
    for (size_t n = 0; n < notes.size(); ++n) {
        const TimedNote& note = notes[n];
        if (note.start >= frames) continue;
        Instrument played = instrument;
        for (const auto& sweep : note.sweeps) played.settings[sweep.first] = sweep.second;
        const long count = std::min(voiceFrames(played, note), frames - note.start);
        voice.assign(2 * count, 0.0f);
        renderVoice(voice.data(), count, played, note, instrumentSeed * 2654435761u + uint32_t(n));
        const double gain = db(instrumentSetting(played, "gain"));
        const double angle = (instrumentSetting(played, "pan") + 1.0) * kPi / 4.0;
        // Constant power, with the centre at unity on both sides.
        const double left = gain * std::cos(angle) * std::sqrt(2.0);
        const double right = gain * std::sin(angle) * std::sqrt(2.0);
        const double toReverb = instrumentSetting(played, "reverb");
        const double toDelay = instrumentSetting(played, "delay");
        const double ducking = instrumentSetting(played, "duck");
        for (long i = 0; i < count; ++i) {
            const long t = note.start + i;
            const double d = 1.0 - ducking * duck[t];
            const float l = float(voice[2 * i] * left * d), r = float(voice[2 * i + 1] * right * d);
            (*dry)[2 * t] += l;
            (*dry)[2 * t + 1] += r;
            // The sends are mono: the reverb takes the sum of the sides, the
            // delay their mean.
            (*reverbSend)[t] += float((l + r) * toReverb);
            (*delaySend)[t] += float(0.5 * (l + r) * toDelay);
        }
    }
}

// A raised-cosine fade over the score's fade bars; silence after.
void fade(std::vector<float>* mix, const Score& score) {
    const long from = rowSample(score, std::lround(score.fadeFrom * kRowsPerBar));
    const long to = rowSample(score, std::lround(score.fadeTo * kRowsPerBar));
    const long frames = long(mix->size() / 2);
    for (long t = std::max(0L, from); t < frames; ++t) {
        const double x = t >= to ? 1.0 : double(t - from) / double(to - from);
        const double g = 0.5 * (1.0 + std::cos(kPi * x));
        (*mix)[2 * t] = float((*mix)[2 * t] * g);
        (*mix)[2 * t + 1] = float((*mix)[2 * t + 1] * g);
    }
}

}  // namespace

bool renderMix(std::vector<float>* out, MixReport* report, const Score& score) {
    const long frames = std::lround(score.seconds * kSampleRate);
    std::vector<std::vector<TimedNote>> notes;
    sequenceScore(&notes, score);
    std::vector<float> duck;
    duckCurve(&duck, frames, score, notes);
    std::vector<float> dry(2 * frames, 0.0f), reverbSend(frames, 0.0f), delaySend(frames, 0.0f);
    for (size_t i = 0; i < score.instruments.size(); ++i)
        addInstrument(&dry, &reverbSend, &delaySend, score.instruments[i], notes[i], duck,
                      uint32_t(i + 1));
    const double rowSamples = 60.0 * kSampleRate / (score.tempo * kRowsPerBeat);
    stereoDelay(dry.data(), delaySend.data(), frames,
                DelaySettings{std::lround(score.delayRows * rowSamples), score.delayFeedback,
                              score.delayDamping});
    delaySend.clear();
    delaySend.shrink_to_fit();
    reverb(dry.data(), reverbSend.data(), frames,
           ReverbSettings{score.reverbSeconds, score.reverbDamping});
    reverbSend.clear();
    reverbSend.shrink_to_fit();
    for (int side = 0; side < 2; ++side) {
        Svf dc;
        svfSet(&dc, kDcCutoff, 0.707);
        for (long t = 0; t < frames; ++t)
            dry[2 * t + side] = float(svfNext(&dc, dry[2 * t + side]).high);
    }
    fade(&dry, score);

    Loudness measured;
    if (!measureLoudness(&measured, dry.data(), frames, false)) {
        fprintf(stderr, "qorv-musicgen: libebur128 cannot measure the mix\n");
        return false;
    }
    double gainDb = score.loudness - measured.integrated;
    LimiterSettings limiter;
    limiter.ceiling = db(score.ceiling);
    // Limited on the true peaks, so that no peak between samples exceeds
    // the ceiling either.
    std::vector<float> peaks(frames);
    truePeaks(peaks.data(), dry.data(), frames);
    for (int pass = 0; pass < kGainPasses; ++pass) {
        *out = dry;
        report->deepestLimit = limit(out->data(), frames, peaks.data(), db(gainDb), limiter);
        const bool last = pass == kGainPasses - 1;
        if (!measureLoudness(&measured, out->data(), frames, last)) return false;
        if (!last) gainDb += score.loudness - measured.integrated;
    }
    report->gainDb = gainDb;
    report->final = measured;
    return true;
}

void sectionLoudness(std::vector<double>* out, const std::vector<float>& mix, const Score& score) {
    out->clear();
    const long frames = long(mix.size() / 2);
    for (const Section& section : score.sections) {
        const long from = std::min(frames, rowSample(score, long(section.startBar) * kRowsPerBar));
        const long to = std::min(frames, rowSample(score, long(section.endBar) * kRowsPerBar));
        Loudness l;
        const bool ok = to > from && measureLoudness(&l, mix.data() + 2 * from, to - from, false);
        out->push_back(ok && std::isfinite(l.integrated) ? l.integrated : -70.0);
    }
}
