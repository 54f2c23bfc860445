// Measures on decoded interleaved stereo 16-bit signals, shared by the audio
// tests, and where those tests find the material make_audio_samples.sh made.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/ogg_decoder.h"

// The samples folder sits in the test's working directory; a relative path
// reads the same natively and under Wine.
inline std::string samplePath(const std::string& name) { return "audio_samples/" + name; }

// Every frame left in a decoder, decoded block frames at a time.
inline std::vector<int16_t> decodeAll(OggDecoder* decoder, int block) {
    std::vector<int16_t> frames;
    std::vector<int16_t> buffer(static_cast<size_t>(block) * 2);
    for (;;) {
        int got = oggDecodeStereo(decoder, buffer.data(), block);
        if (got <= 0) break;
        frames.insert(frames.end(), buffer.begin(), buffer.begin() + got * 2);
    }
    return frames;
}

// Root mean square of one channel (0 left, 1 right) over [first, first + count).
inline double channelRms(const std::vector<int16_t>& frames, int channel, size_t first,
                         size_t count) {
    double sum = 0.0;
    for (size_t i = first; i < first + count; ++i) {
        double s = frames[i * 2 + channel];
        sum += s * s;
    }
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

// Frequency of one channel from its rising zero crossings over
// [first, first + count), each placed between samples by linear interpolation.
// 0 when there are fewer than two.
inline double channelFrequency(const std::vector<int16_t>& frames, int channel, size_t first,
                               size_t count, double rate) {
    double firstCrossing = -1.0, lastCrossing = -1.0;
    int crossings = 0;
    for (size_t i = first + 1; i < first + count; ++i) {
        double a = frames[(i - 1) * 2 + channel], b = frames[i * 2 + channel];
        if (a < 0.0 && b >= 0.0) {
            double t = static_cast<double>(i - 1) + a / (a - b);
            if (crossings == 0) firstCrossing = t;
            lastCrossing = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * rate / (lastCrossing - firstCrossing);
}
