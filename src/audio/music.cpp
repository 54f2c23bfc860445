// The three music calls the shells make at start-up, over our own stream and
// the platform's output. Every result is optional for the caller: a failure
// anywhere leaves the show running in silence.
#include "audio/music.h"

#include "audio/audio_output.h"
#include "audio/music_stream.h"

HSTREAM musicStream = 0;

namespace {

// The show plays one stream; its handle is this constant.
constexpr HSTREAM onlyStream = 1;
// How long BASS_ChannelPlay waits for the output to take the first frames: the
// first frame is drawn only after it returns, so music and picture start
// together, but a device that never answers costs at most this much of the
// show; the music joins later if it can.
constexpr int playStartBoundMs = 500;

bool initialised = false;
uint32_t outputRate = 44100;
MusicStream* stream = nullptr;

}  // namespace

int BASS_Init(int device, uint32_t freq, uint32_t flags, void* window, const void* guid) {
    // Only the default device exists here, and no flag, window or GUID changes
    // anything for it.
    (void)flags;
    (void)window;
    (void)guid;
    if (initialised || device != -1) return 0;
    if (freq != 0) outputRate = freq;
    initialised = audioOutputInit();
    return initialised ? 1 : 0;
}

HSTREAM BASS_StreamCreateFile(int mem, const void* file, QWORD offset, QWORD length,
                              uint32_t flags) {
    // The show only ever streams from a file, so memory streams are refused.
    if (!initialised || stream || mem || !file) return 0;
    stream = streamCreate(static_cast<const char*>(file), offset, length,
                          (flags & BASS_STREAM_PRESCAN) != 0, outputRate);
    return onlyStream;
}

int BASS_ChannelPlay(uint32_t handle, int restart) {
    // A stream is started once and never stopped, so restart has nothing to
    // rewind.
    (void)restart;
    if (handle != onlyStream || !stream) return 0;
    streamPlay(stream);
    // At once for a file that does not play.
    streamWaitStarted(stream, playStartBoundMs);
    return 1;
}

int BASS_Free() {
    if (!initialised) return 0;
    if (stream) streamDestroy(stream);
    stream = nullptr;
    musicStream = 0;
    initialised = false;
    return 1;
}
