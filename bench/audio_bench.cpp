// qorv-audio-bench: how long the music stream takes to start on a 5-minute
// file, how long the play call waits for a device that never takes a frame,
// and what share of one core decoding takes during playback.
// Usage: qorv-audio-bench [FILE.ogg]   (without a file, sox makes one here)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_output.h"
#include "audio/music.h"
#include "audio/music_stream.h"
#include "audio/ogg_decoder.h"

// An output that opens at once and never pulls: the stream's start is timed
// without a device.
bool audioOutputInit() { return true; }
bool audioOutputOpen(MusicStream*, uint32_t, uint32_t) { return true; }
void audioOutputClose() {}

namespace {

using Clock = std::chrono::steady_clock;
constexpr int repeats = 15;
constexpr double fiveMinutes = 300.0;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Times opening the file, with and without the pre-scan, as the music thread
// does before decoding.
void benchOpen(const char* path) {
    for (bool prescan : {false, true}) {
        std::vector<double> times;
        for (int i = 0; i < repeats; ++i) {
            OggDecoder decoder;
            Clock::time_point start = Clock::now();
            bool opened = oggOpenFile(&decoder, path, 0, 0, prescan);
            times.push_back(msSince(start));
            if (!opened) {
                std::printf("cannot open %s\n", path);
                std::exit(1);
            }
            oggClose(&decoder);
        }
        std::printf("open%s: %.3f ms (median of %d)\n", prescan ? " with pre-scan" : "",
                    median(times), repeats);
    }
}

// Times the call the show makes (it returns once the music thread is
// started) and the music thread's way to a buffered, playable stream.
void benchStreamStart(const char* path) {
    std::vector<double> calls, ready;
    uint64_t length = 0;
    uint32_t rate = 0;
    for (int i = 0; i < repeats; ++i) {
        Clock::time_point start = Clock::now();
        MusicStream* stream = streamCreate(path, 0, 0, true, 44100);
        calls.push_back(msSince(start));
        while (streamState(stream) == StreamState::opening) std::this_thread::yield();
        ready.push_back(msSince(start));
        length = streamLengthFrames(stream);
        rate = streamSampleRate(stream);
        streamDestroy(stream);
    }
    std::printf("stream: %.2f s long (pre-scan), %u Hz\n", rate ? double(length) / rate : 0.0,
                rate);
    std::printf("BASS_StreamCreateFile's work on the show's thread: %.3f ms (median of %d)\n",
                median(calls), repeats);
    std::printf("music thread: open, pre-scan and first ring of audio in %.3f ms (median)\n",
                median(ready));
}

// Times the show's play call: with this output, which opens and never takes
// a frame, it waits out its whole bound (half a second by design); with a
// file that does not play it returns at once.
void benchPlayBound(const char* path) {
    for (const char* file : {path, "missing-file.ogg"}) {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            BASS_Init(-1, 44100, 0, nullptr, nullptr);
            musicStream = BASS_StreamCreateFile(0, file, 0, 0, BASS_STREAM_PRESCAN);
            Clock::time_point start = Clock::now();
            BASS_ChannelPlay(musicStream, 0);
            times.push_back(msSince(start));
            BASS_Free();
        }
        std::printf("BASS_ChannelPlay, %s: %.1f ms (median of 5)\n",
                    file == path ? "a device that never takes a frame" : "a missing file",
                    median(times));
    }
}

// Decodes the whole file in the output's block size: decode time against the
// audio's own duration is the share of a core playback costs.
void benchDecode(const char* path) {
    OggDecoder decoder;
    if (!oggOpenFile(&decoder, path, 0, 0, false)) std::exit(1);
    std::vector<int16_t> block(4096 * 2);
    uint64_t frames = 0;
    Clock::time_point start = Clock::now();
    std::clock_t cpuStart = std::clock();
    for (int got; (got = oggDecodeStereo(&decoder, block.data(), 4096)) > 0;) frames += got;
    double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    double wallSeconds = msSince(start) / 1000.0;
    double audioSeconds = double(frames) / decoder.sampleRate;
    oggClose(&decoder);
    std::printf("decode: %.1f s of audio in %.3f s (%.3f s CPU): %.2f%% of one core, %.0fx real "
                "time\n",
                audioSeconds, wallSeconds, cpuSeconds, 100.0 * cpuSeconds / audioSeconds,
                audioSeconds / wallSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "bench_5min.ogg";
    if (argc <= 1) {
        // Stereo pink noise: the densest data an encoder gives, so the
        // slowest to decode.
        std::string make = "sox -R -n -r 44100 -c 2 " + path + " synth " +
                           std::to_string(int(fiveMinutes)) + " pinknoise gain -12";
        std::printf("making %s: %s\n", path.c_str(), make.c_str());
        if (std::system(make.c_str()) != 0) return 1;
    }
    benchOpen(path.c_str());
    benchStreamStart(path.c_str());
    benchPlayBound(path.c_str());
    benchDecode(path.c_str());
    return 0;
}
