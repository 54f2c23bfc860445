// A reverb with the structure of Jezar's Freeverb (public domain, 2000): per
// side eight parallel low-pass-feedback combs (Moorer's improvement of
// Schroeder's reverberator) into four series all-passes of gain 0.5, the
// right side's delays 23 samples longer than the left's. The delay lengths
// are Freeverb's published ones at 44.1 kHz. Instead of Freeverb's room-size
// knob, each comb's feedback is set from the decay time: a loop of L samples
// passed RT60 * rate / L times must lose 60 dB, so g = 10^(-3 L / (RT60 rate))
// (Schroeder, "Natural sounding artificial reverberation", JAES 10(3), 1962).
// The damping low-pass has unity gain at DC, so the low frequencies decay in
// exactly RT60 and the highs sooner.
#include "reverb.h"

#include <cmath>
#include <vector>

#include "sample_rate.h"

namespace {

constexpr int kCombs = 8;
constexpr int kAllPasses = 4;
constexpr int kCombLengths[kCombs] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllPassLengths[kAllPasses] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr double kAllPassGain = 0.5;
// Freeverb's input scale: eight combs summed at high feedback would
// otherwise be far louder than the dry signal.
constexpr double kInputGain = 0.015;

struct Line {
    std::vector<float> buffer;
    long at = 0;
    double low = 0.0;  // the comb's damping state
};

double comb(Line* line, double input, double feedback, double damping) {
    const double delayed = line->buffer[line->at];
    line->low = delayed * (1.0 - damping) + line->low * damping;
    line->buffer[line->at] = float(input + line->low * feedback);
    if (++line->at == long(line->buffer.size())) line->at = 0;
    return delayed;
}

double allPass(Line* line, double input) {
    const double delayed = line->buffer[line->at];
    line->buffer[line->at] = float(input + delayed * kAllPassGain);
    if (++line->at == long(line->buffer.size())) line->at = 0;
    return delayed - input;
}

}  // namespace

void reverb(float* out, const float* in, long frames, const ReverbSettings& s) {
    for (int side = 0; side < 2; ++side) {
        Line combs[kCombs], allPasses[kAllPasses];
        double feedback[kCombs];
        for (int c = 0; c < kCombs; ++c) {
            const int length = kCombLengths[c] + side * kStereoSpread;
            combs[c].buffer.assign(length, 0.0f);
            feedback[c] = std::pow(10.0, -3.0 * length / (s.rt60 * kSampleRate));
        }
        for (int a = 0; a < kAllPasses; ++a)
            allPasses[a].buffer.assign(kAllPassLengths[a] + side * kStereoSpread, 0.0f);
        for (long i = 0; i < frames; ++i) {
            const double input = in[i] * kInputGain;
            double sum = 0.0;
            for (int c = 0; c < kCombs; ++c) sum += comb(&combs[c], input, feedback[c], s.damping);
            for (int a = 0; a < kAllPasses; ++a) sum = allPass(&allPasses[a], sum);
            out[2 * i + side] += float(sum);
        }
    }
}
