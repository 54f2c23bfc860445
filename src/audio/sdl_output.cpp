// Music output on SDL2 audio: the default device at the rate BASS_Init asked
// for, fed from the stream by SDL's audio callback, with an SDL_AudioStream
// converting when the file's rate differs. SDL converts on to whatever the
// hardware wants.
#include <SDL.h>

#include <cstring>

#include "audio/audio_output.h"
#include "audio/music_stream.h"

namespace {

// Frames per callback: about 23 ms at 44.1 kHz, SDL's usual size.
constexpr int deviceFrames = 1024;
constexpr int bytesPerFrame = 2 * sizeof(int16_t);

struct SdlOutput {
    SDL_AudioDeviceID device;
    MusicStream* stream;
    SDL_AudioStream* converter;  // null when the file's rate is the device's
    bool flushed;                // the converter has been given the stream's end
    int16_t block[deviceFrames * 2];
};

SdlOutput output;

void fillDirect(Uint8* out, int bytes) {
    int frames = streamPull(output.stream, reinterpret_cast<int16_t*>(out), bytes / bytesPerFrame);
    std::memset(out + frames * bytesPerFrame, 0, bytes - frames * bytesPerFrame);
}

void fillConverted(Uint8* out, int bytes) {
    int filled = 0;
    while (filled < bytes) {
        int got = SDL_AudioStreamGet(output.converter, out + filled, bytes - filled);
        if (got > 0) {
            filled += got;
            continue;
        }
        int frames = streamPull(output.stream, output.block, deviceFrames);
        if (frames > 0) {
            SDL_AudioStreamPut(output.converter, output.block, frames * bytesPerFrame);
        } else if (streamDrained(output.stream) && !output.flushed) {
            // The converter holds back a few frames for its filter until told
            // that no more input follows.
            SDL_AudioStreamFlush(output.converter);
            output.flushed = true;
        } else {
            break;  // the decoder is behind, or everything has been played
        }
    }
    std::memset(out + filled, 0, bytes - filled);
}

// Runs on SDL's audio thread; after the end of the file it plays silence.
void SDLCALL fillAudio(void*, Uint8* out, int bytes) {
    if (output.converter)
        fillConverted(out, bytes);
    else
        fillDirect(out, bytes);
}

}  // namespace

bool audioOutputInit() {
    // NOTE: SDL wants its subsystems set up from the main thread, so this runs
    // in BASS_Init on the show's thread; it only picks the driver. The device
    // itself is opened later, on the music thread.
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

bool audioOutputOpen(MusicStream* stream, uint32_t deviceRate, uint32_t streamRate) {
    output.stream = stream;
    output.flushed = false;
    output.converter = nullptr;
    if (streamRate != deviceRate) {
        output.converter = SDL_NewAudioStream(AUDIO_S16SYS, 2, static_cast<int>(streamRate),
                                              AUDIO_S16SYS, 2, static_cast<int>(deviceRate));
        if (!output.converter) return false;
    }

    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(deviceRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = deviceFrames;
    wanted.callback = fillAudio;
    // No allowed changes: SDL converts from this format to the hardware's.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        if (output.converter) SDL_FreeAudioStream(output.converter);
        output.converter = nullptr;
        return false;
    }
    output.device = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void audioOutputClose() {
    // Waits for SDL's audio thread to end, so the callback is done for good.
    SDL_CloseAudioDevice(output.device);
    output.device = 0;
    if (output.converter) SDL_FreeAudioStream(output.converter);
    output.converter = nullptr;
    output.stream = nullptr;
}
