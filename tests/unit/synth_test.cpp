// The soundtrack's synthesiser, part by part, against the textbook behaviour
// of each: band-limited oscillators, the state-variable filter, envelopes,
// the reverb's decay, the limiter's ceiling, and the score's bass and pad in
// tune.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "blep_oscillator.h"
#include "envelope.h"
#include "fourier.h"
#include "limiter.h"
#include "noise.h"
#include "reverb.h"
#include "sample_rate.h"
#include "score.h"
#include "svf.h"
#include "true_peak.h"
#include "voice.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double dB(double ratio) { return 20.0 * std::log10(ratio); }

// A saw or pulse at 3950 Hz: 44.1 kHz is no whole multiple of it, so every
// aliased component lands between the true harmonics, where the spectrum
// shows it. Each must lie 40 dB below the fundamental; a two-sample
// polynomial BLEP gets only about 26 dB here.
TEST(Oscillator, AliasesStayFortyDbBelowTheFundamental) {
    const double hz = 3950.0;
    for (Wave wave : {Wave::saw, Wave::pulse}) {
        BlepOscillator osc;
        blepStart(&osc, wave, 0.0, 0.3);
        for (int i = 0; i < kBlepHalfWidth; ++i) blepNext(&osc, hz / kSampleRate);
        std::vector<double> x(1 << 16);
        for (double& v : x) v = blepNext(&osc, hz / kSampleRate);
        const std::vector<double> m = magnitudeSpectrum(x, Window::blackmanHarris);
        const double binHz = double(kSampleRate) / x.size();
        const double fundamental = m[size_t(std::lround(hz / binHz))];
        double worst = 0.0, worstHz = 0.0;
        for (size_t i = 8; i < m.size(); ++i) {
            // Blackman-Harris leaks over 4 bins each side of a component.
            const double f = i * binHz;
            const double harmonic = std::round(f / hz);
            if (harmonic >= 1 && std::fabs(f - harmonic * hz) <= 6 * binHz) continue;
            if (m[i] > worst) worst = m[i], worstHz = f;
        }
        EXPECT_LT(dB(worst / fundamental), -40.0)
            << (wave == Wave::saw ? "saw" : "pulse") << ": alias at " << worstHz << " Hz";
    }
}

// The trapezoidal SVF keeps the analogue response at the cutoff: a
// Butterworth low-pass (Q = 0.707) is 3.01 dB down there, flat an octave and
// more below, and 12 dB an octave down above.
TEST(Filter, LowPassIsThreeDbDownAtItsCutoff) {
    const double cutoff = 1000.0;
    auto gainAt = [&](double hz) {
        Svf f;
        svfSet(&f, cutoff, 0.7071);
        double peak = 0.0;
        for (int i = 0; i < kSampleRate; ++i) {
            const double y = svfNext(&f, std::sin(2 * kPi * hz * i / kSampleRate)).low;
            if (i > kSampleRate / 2) peak = std::max(peak, std::fabs(y));
        }
        return dB(peak);
    };
    EXPECT_NEAR(gainAt(cutoff), -3.01, 0.5);
    EXPECT_NEAR(gainAt(cutoff / 8), 0.0, 0.1);
    EXPECT_LT(gainAt(cutoff * 8), -34.0);
    EXPECT_GT(gainAt(cutoff * 8), -40.0);
}

// The high-pass output mirrors it: -3 dB at the cutoff, flat far above.
TEST(Filter, HighPassIsThreeDbDownAtItsCutoff) {
    Svf f;
    svfSet(&f, 500.0, 0.7071);
    double atCutoff = 0.0;
    for (int i = 0; i < kSampleRate; ++i) {
        const double y = svfNext(&f, std::sin(2 * kPi * 500.0 * i / kSampleRate)).high;
        if (i > kSampleRate / 2) atCutoff = std::max(atCutoff, std::fabs(y));
    }
    EXPECT_NEAR(dB(atCutoff), -3.01, 0.5);
}

// The attack ends at its peak of 1 exactly attack seconds in, to the
// sample; decay and release fall 60 dB in their times.
TEST(Envelope, PeaksAtTheAttackTimeToTheSample) {
    for (double attack : {0.0, 0.001, 0.01, 0.25}) {
        Adsr env;
        adsrStart(&env, AdsrSettings{attack, 0.1, 0.5, 0.1});
        std::vector<double> v(kSampleRate);
        for (double& x : v) x = adsrNext(&env);
        const long peak = long(std::max_element(v.begin(), v.end()) - v.begin());
        EXPECT_EQ(peak, std::lround(attack * kSampleRate)) << "attack " << attack;
        EXPECT_EQ(v[peak], 1.0);
        EXPECT_NEAR(v.back(), 0.5, 1e-6) << "settles on the sustain level";
    }
}

TEST(Envelope, DecayAndReleaseFallSixtyDbInTheirTimes) {
    Adsr env;
    adsrStart(&env, AdsrSettings{0.0, 0.2, 0.0, 0.5});
    adsrNext(&env);
    const long decay = std::lround(0.2 * kSampleRate);
    for (long i = 1; i < decay; ++i) adsrNext(&env);
    EXPECT_NEAR(dB(adsrNext(&env)), -60.0, 0.01);

    adsrStart(&env, AdsrSettings{0.0, 0.2, 1.0, 0.5});
    for (int i = 0; i < 1000; ++i) adsrNext(&env);
    adsrRelease(&env);
    const long release = std::lround(0.5 * kSampleRate);
    for (long i = 1; i < release; ++i) adsrNext(&env);
    EXPECT_NEAR(dB(adsrNext(&env)), -60.0, 0.01);
}

// RT60 from the impulse response's energy decay curve (Schroeder's backward
// integration), by the slope from -5 to -35 dB, doubled (T30, ISO 3382).
double measuredRt60(const ReverbSettings& settings, int side) {
    const long frames = long(2.5 * settings.rt60 * kSampleRate);
    std::vector<float> in(frames, 0.0f), out(2 * frames, 0.0f);
    in[0] = 1.0f;
    reverb(out.data(), in.data(), frames, settings);
    std::vector<double> edc(frames);
    double sum = 0.0;
    for (long i = frames - 1; i >= 0; --i)
        edc[i] = sum += double(out[2 * i + side]) * out[2 * i + side];
    std::vector<double> t, level;
    for (long i = 0; i < frames; ++i) {
        const double d = 10.0 * std::log10(edc[i] / edc[0]);
        if (d <= -5.0 && d >= -35.0) t.push_back(double(i) / kSampleRate), level.push_back(d);
    }
    double mt = 0, ml = 0;
    for (size_t i = 0; i < t.size(); ++i) mt += t[i], ml += level[i];
    mt /= t.size(), ml /= t.size();
    double num = 0, den = 0;
    for (size_t i = 0; i < t.size(); ++i)
        num += (t[i] - mt) * (level[i] - ml), den += (t[i] - mt) * (t[i] - mt);
    return -60.0 / (num / den);
}

TEST(Reverb, DecaysInItsSetTimeWithinTenPercent) {
    for (double rt60 : {0.8, 2.2}) {
        for (int side = 0; side < 2; ++side) {
            const double measured = measuredRt60(ReverbSettings{rt60, 0.0}, side);
            EXPECT_NEAR(measured, rt60, 0.1 * rt60) << "side " << side;
        }
    }
    // Damping leaves the lows' time and shortens the whole, highs first.
    EXPECT_LT(measuredRt60(ReverbSettings{2.2, 0.6}, 0), measuredRt60(ReverbSettings{2.2, 0.0}, 0));
}

// Loud noise with bursts far over the ceiling: no sample comes out above it,
// by sample or by true peak, and a quiet stretch passes untouched.
TEST(Limiter, NeverExceedsItsCeiling) {
    const long frames = 4 * kSampleRate;
    std::vector<float> x(2 * frames);
    Noise noise;
    for (long i = 0; i < frames; ++i) {
        const double burst = (i / 5000) % 3 == 0 ? 6.0 : (i / 5000) % 3 == 1 ? 1.5 : 0.2;
        x[2 * i] = float(burst * noiseNext(&noise));
        x[2 * i + 1] = float(burst * noiseNext(&noise));
    }
    const long quietFrom = 3 * kSampleRate;
    for (long i = quietFrom; i < frames; ++i)
        x[2 * i] = x[2 * i + 1] = float(0.1 * std::sin(i * 0.05));
    const std::vector<float> before = x;
    LimiterSettings settings;
    settings.ceiling = 0.5;
    for (double scale : {1.0, 3.0}) {
        std::vector<float> peaks(frames), y = before;
        truePeaks(peaks.data(), y.data(), frames);
        const double deepest = limit(y.data(), frames, peaks.data(), scale, settings);
        EXPECT_LT(deepest, 0.1);
        for (long i = 0; i < frames; ++i)
            ASSERT_LE(std::max(std::fabs(y[2 * i]), std::fabs(y[2 * i + 1])), settings.ceiling)
                << i;
        std::vector<float> after(frames);
        truePeaks(after.data(), y.data(), frames);
        EXPECT_LE(*std::max_element(after.begin(), after.end()), settings.ceiling * 1.02);
        if (scale == 1.0) {
            // Well past the release, the quiet part is left as it was.
            const long calm = quietFrom + kSampleRate / 2;
            for (long i = calm; i < frames; ++i) ASSERT_FLOAT_EQ(y[2 * i], before[2 * i]) << i;
        }
    }
}

// A sustained note of the score's bass and of its pad, each alone, is in
// equal temperament at A4 = 440 Hz, by the interpolated FFT peak over 5.9 s.
TEST(Tuning, BassAndPadAreWithinFiveCents) {
    Score score;
    std::string error;
    ASSERT_TRUE(loadScore(&score, &error, QORV_SCORE)) << error;
    struct Case {
        const char* instrument;
        int pitch;
    };
    for (Case c : {Case{"bass", 45}, Case{"pad", 57}, Case{"pad", 64}}) {
        const Instrument* inst = nullptr;
        for (const Instrument& i : score.instruments)
            if (i.name == c.instrument) inst = &i;
        ASSERT_NE(inst, nullptr) << c.instrument;
        TimedNote note;
        note.pitch = c.pitch;
        note.length = 7 * kSampleRate;
        std::vector<float> out(2 * note.length, 0.0f);
        renderVoice(out.data(), note.length, *inst, note, 7);
        std::vector<double> x(1 << 18);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = out[2 * (i + kSampleRate)] + out[2 * (i + kSampleRate) + 1];
        const double expected = pitchHz(c.pitch);
        const double hz = peakFrequency(magnitudeSpectrum(x, Window::hann), kSampleRate,
                                        expected * 0.97, expected * 1.03);
        EXPECT_NEAR(1200.0 * std::log2(hz / expected), 0.0, 5.0) << c.instrument << " " << c.pitch;
    }
}

}  // namespace
