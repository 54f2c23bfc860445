// qorv-audio-probe: checks the raw output SDL's disk audio driver wrote for
// the show (16-bit stereo at 44.1 kHz, the rate the show asks for).
//   qorv-audio-probe tone FILE MIN  the music made by audio_common.sh: 0.3 s
//                                 of 660 Hz then 1.2 s of 440 Hz, left
//                                 channel only, from the start of the output,
//                                 then silence; as much of that as the run
//                                 lasted, at least MIN seconds
//   qorv-audio-probe silent FILE  no output at all, or only silence
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "../unit/audio_signal.h"

namespace {

constexpr double rate = 44100.0;
constexpr double toneRms = 32767.0 * 0.5 / 1.4142135623730951;
// The device starts paused and SDL writes silence for it until the first
// callback; a few of its 23 ms buffers may come before the music.
constexpr double maxOnsetSeconds = 0.1;
constexpr int16_t loud = 1000;

void readOutput(const char* path, std::vector<int16_t>* frames, bool* exists) {
    std::ifstream file(path, std::ios::binary);
    *exists = static_cast<bool>(file);
    if (!file) return;
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
    frames->resize(bytes.size() / 4 * 2);
    std::memcpy(frames->data(), bytes.data(), frames->size() * sizeof(int16_t));
}

size_t at(double seconds) { return static_cast<size_t>(seconds * rate); }

bool checkWindow(const std::vector<int16_t>& frames, double from, double to, double hz) {
    size_t first = at(from), count = at(to) - at(from);
    if ((first + count) * 2 > frames.size()) return true;  // the show ended before
    double left = channelFrequency(frames, 0, first, count, rate);
    double leftRms = channelRms(frames, 0, first, count);
    double rightRms = channelRms(frames, 1, first, count);
    std::printf("%.2f-%.2f s: left %.1f Hz rms %.0f, right rms %.0f\n", from, to, left, leftRms,
                rightRms);
    bool ok = left > hz - 3.0 && left < hz + 3.0 && leftRms > toneRms * 0.8 &&
              leftRms < toneRms * 1.2 && rightRms < toneRms * 0.02;
    if (!ok) std::printf("FAIL: wanted %.0f Hz in the left channel only\n", hz);
    return ok;
}

int checkTone(const std::vector<int16_t>& frames, double minSeconds) {
    size_t total = frames.size() / 2;
    std::printf("%zu frames (%.2f s) of output\n", total, total / rate);
    if (total < at(minSeconds)) {
        std::printf("FAIL: less than %.2f s of output\n", minSeconds);
        return 1;
    }
    size_t onset = 0;
    while (onset < total && frames[onset * 2] > -loud && frames[onset * 2] < loud) ++onset;
    std::printf("music starts at %.3f s\n", onset / rate);
    if (onset > at(maxOnsetSeconds)) {
        std::printf("FAIL: the music does not start at the start of the output\n");
        return 1;
    }
    double start = onset / rate;
    bool ok = checkWindow(frames, start + 0.02, start + 0.28, 660.0) &&
              checkWindow(frames, start + 0.35, start + 1.45, 440.0);
    // After the end of the file: silence, to the end of the output.
    for (size_t i = at(start + 1.55) * 2; ok && i < frames.size(); ++i) {
        if (frames[i] != 0) {
            std::printf("FAIL: sound at %.3f s, after the end of the music\n", i / 2 / rate);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

int checkSilent(const std::vector<int16_t>& frames, bool exists) {
    if (!exists) {
        std::printf("no audio output\n");
        return 0;
    }
    for (size_t i = 0; i < frames.size(); ++i) {
        if (frames[i] != 0) {
            std::printf("FAIL: sound at %.3f s\n", i / 2 / rate);
            return 1;
        }
    }
    std::printf("%zu frames of silence\n", frames.size() / 2);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qorv-audio-probe tone FILE MIN_SECONDS | silent FILE\n");
        return 2;
    }
    std::vector<int16_t> frames;
    bool exists = false;
    readOutput(argv[2], &frames, &exists);
    if (std::strcmp(argv[1], "tone") == 0) {
        if (!exists) {
            std::printf("FAIL: no audio output\n");
            return 1;
        }
        return checkTone(frames, argc > 3 ? std::atof(argv[3]) : 0.0);
    }
    if (std::strcmp(argv[1], "silent") == 0) return checkSilent(frames, exists);
    return 2;
}
