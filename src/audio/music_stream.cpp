// The music thread: opens the file, decodes it a block at a time into the
// ring, and starts the output once playback is asked for.
#include "audio/music_stream.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "audio/audio_output.h"
#include "audio/ogg_decoder.h"
#include "audio/sample_ring.h"

namespace {

// About 0.7 s at 44.1 kHz: enough to ride out a slow disk or a busy core.
constexpr uint32_t ringFrames = 32768;
// Frames decoded per step of the music thread.
constexpr int blockFrames = 4096;
// How long the music thread sleeps while the ring is full or play is not yet
// asked for: a small share of the ring's length.
constexpr auto fullWait = std::chrono::milliseconds(10);
constexpr auto playWait = std::chrono::milliseconds(1);

}  // namespace

struct MusicStream {
    std::string path;
    uint64_t offset = 0;
    uint64_t length = 0;
    bool prescan = false;
    uint32_t deviceRate = 0;

    SampleRing ring;
    std::atomic<int> state{static_cast<int>(StreamState::opening)};
    std::atomic<bool> playRequested{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> decodeDone{false};
    std::atomic<bool> outputOpened{false};   // audioOutputOpen succeeded
    std::atomic<bool> outputStarted{false};  // the output has taken frames
    std::atomic<uint32_t> sampleRate{0};
    std::atomic<uint64_t> lengthFrames{0};
    int16_t block[blockFrames * 2];  // the music thread's decode buffer
    std::thread thread;
};

namespace {

void setState(MusicStream* stream, StreamState state) {
    stream->state.store(static_cast<int>(state), std::memory_order_release);
}

// Decodes into the ring until it is full; false once the stream has ended.
bool fillRing(MusicStream* stream, OggDecoder* decoder, int16_t* block) {
    while (ringWritable(&stream->ring) >= blockFrames) {
        int frames = oggDecodeStereo(decoder, block, blockFrames);
        if (frames <= 0) return false;
        ringWrite(&stream->ring, block, static_cast<uint32_t>(frames));
    }
    return true;
}

void runMusicThread(MusicStream* stream) {
    OggDecoder decoder;
    if (!oggOpenFile(&decoder, stream->path.c_str(), stream->offset, stream->length,
                     stream->prescan)) {
        stream->decodeDone.store(true);
        setState(stream, StreamState::failed);
        return;
    }
    stream->sampleRate.store(decoder.sampleRate);
    stream->lengthFrames.store(decoder.lengthFrames);

    int16_t* block = stream->block;
    bool more = fillRing(stream, &decoder, block);
    // A file that decodes partly and then fails plays what it gave: the ring
    // holds it and the output pads the rest with silence.
    stream->decodeDone.store(!more);
    setState(stream, StreamState::ready);

    while (!stream->playRequested.load() && !stream->stopRequested.load())
        std::this_thread::sleep_for(playWait);
    if (stream->stopRequested.load() ||
        !audioOutputOpen(stream, stream->deviceRate, decoder.sampleRate)) {
        oggClose(&decoder);
        setState(stream, StreamState::failed);
        return;
    }
    stream->outputOpened.store(true);
    setState(stream, StreamState::playing);

    while (more && !stream->stopRequested.load()) {
        if (ringWritable(&stream->ring) < blockFrames) {
            std::this_thread::sleep_for(fullWait);
            continue;
        }
        more = fillRing(stream, &decoder, block);
    }
    stream->decodeDone.store(true);
    oggClose(&decoder);
}

}  // namespace

MusicStream* streamCreate(const char* path, uint64_t offset, uint64_t length, bool prescan,
                          uint32_t deviceRate) {
    MusicStream* stream = new MusicStream;
    stream->path = path ? path : "";
    stream->offset = offset;
    stream->length = length;
    stream->prescan = prescan;
    stream->deviceRate = deviceRate;
    ringInit(&stream->ring, ringFrames);
    stream->thread = std::thread(runMusicThread, stream);
    return stream;
}

void streamPlay(MusicStream* stream) { stream->playRequested.store(true); }

bool streamWaitStarted(const MusicStream* stream, int maxMilliseconds) {
    // Polled: the flag is set from the output's callback, which must never
    // wait for a lock that this thread could hold.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMilliseconds);
    // NOTE: the output's own thread can take the first frames before
    // audioOutputOpen has returned and the music thread has marked the stream
    // playing; on a busy machine that gap lasts. Frames taken mean the open
    // succeeded, so the state follows, and it is waited for: a started
    // stream is always a playing one.
    for (;;) {
        const bool taken = stream->outputStarted.load(std::memory_order_acquire);
        const StreamState state = streamState(stream);
        if (taken && state == StreamState::playing) return true;
        if (state == StreamState::failed || (!taken && streamDrained(stream))) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(playWait);
    }
}

int streamPull(MusicStream* stream, int16_t* frames, int count) {
    if (count <= 0) return 0;
    int got = static_cast<int>(ringRead(&stream->ring, frames, static_cast<uint32_t>(count)));
    if (got > 0 && !stream->outputStarted.load(std::memory_order_relaxed))
        stream->outputStarted.store(true, std::memory_order_release);
    return got;
}

bool streamDrained(const MusicStream* stream) {
    return stream->decodeDone.load(std::memory_order_acquire) && ringReadable(&stream->ring) == 0;
}

StreamState streamState(const MusicStream* stream) {
    return static_cast<StreamState>(stream->state.load(std::memory_order_acquire));
}

uint32_t streamSampleRate(const MusicStream* stream) { return stream->sampleRate.load(); }

uint64_t streamLengthFrames(const MusicStream* stream) { return stream->lengthFrames.load(); }

void streamDestroy(MusicStream* stream) {
    stream->stopRequested.store(true);
    if (stream->thread.joinable()) stream->thread.join();
    // The output may pull until it is closed, so the ring outlives it.
    if (stream->outputOpened.load()) audioOutputClose();
    ringFree(&stream->ring);
    delete stream;
}
