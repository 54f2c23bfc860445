// The three music calls in a browser, over OpenAL (Web Audio underneath).
// NOTE: a threaded browser build needs cross-origin isolation headers that a
// plain static server does not send, so there is no music thread here:
// musicPump, called every frame, decodes slices on the show's thread and keeps
// about three seconds queued, which rides out frames that come late. With
// musicStartAt the stream starts later in, for ?from=N.
#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>

#include "audio/music.h"
#include "audio/ogg_decoder.h"
#include "audio/web_music.h"

HSTREAM musicStream = 0;

namespace {

// The show plays one stream; its handle is this constant.
constexpr HSTREAM onlyStream = 1;
// 32 buffers of 4096 frames: about 3 s at 44.1 kHz, each decoded in well
// under a millisecond. Where WebGL falls back to software rendering (as
// browsers do on a blocklisted GPU), a frame of the rings takes half a second
// and more, and the queue must outlast the longest gap between frames.
constexpr int sliceFrames = 4096;
constexpr int bufferCount = 32;

ALCdevice* device = nullptr;
ALCcontext* context = nullptr;
ALuint source = 0;
ALuint buffers[bufferCount];
OggDecoder decoder;
bool streamOpen = false;
bool playing = false;
bool decodedAll = false;
int16_t slice[sliceFrames * 2];
// For the page's tests: slices handed to the source so far, and how often the
// source had played all it had before a frame topped it up again.
int slicesQueued = 0;
int timesRanDry = 0;
double startSeconds = 0.0;
long long framesSkipped = -1;

// Decodes and drops the frames before startSeconds.
void skipToStart() {
    const long long skip = static_cast<long long>(startSeconds * decoder.sampleRate + 0.5);
    long long done = 0;
    while (done < skip) {
        const long long want = skip - done < sliceFrames ? skip - done : sliceFrames;
        const int frames = oggDecodeStereo(&decoder, slice, static_cast<int>(want));
        if (frames <= 0) {
            decodedAll = true;
            break;
        }
        done += frames;
    }
    framesSkipped = done;
}

// Decodes the next slice into buffer and queues it; false at the end.
bool queueSlice(ALuint buffer) {
    if (decodedAll) return false;
    const int frames = oggDecodeStereo(&decoder, slice, sliceFrames);
    if (frames <= 0) {
        decodedAll = true;
        return false;
    }
    alBufferData(buffer, AL_FORMAT_STEREO16, slice, frames * 4, ALsizei(decoder.sampleRate));
    alSourceQueueBuffers(source, 1, &buffer);
    ++slicesQueued;
    return true;
}

}  // namespace

int BASS_Init(int deviceIndex, uint32_t freq, uint32_t flags, void* window, const void* guid) {
    // Web Audio resamples each buffer from the stream's own rate, so the
    // rate asked for changes nothing; nor do flags, window or GUID.
    (void)freq;
    (void)flags;
    (void)window;
    (void)guid;
    if (device || deviceIndex != -1) return 0;
    device = alcOpenDevice(nullptr);
    if (!device) return 0;
    context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        BASS_Free();
        return 0;
    }
    alGenSources(1, &source);
    alGenBuffers(bufferCount, buffers);
    return 1;
}

HSTREAM BASS_StreamCreateFile(int mem, const void* file, QWORD offset, QWORD length,
                              uint32_t flags) {
    // The show only ever streams from a file, so memory streams are refused.
    if (!context || streamOpen || mem || !file) return 0;
    streamOpen = oggOpenFile(&decoder, static_cast<const char*>(file), offset, length,
                             (flags & BASS_STREAM_PRESCAN) != 0);
    return streamOpen ? onlyStream : 0;
}

int BASS_ChannelPlay(uint32_t handle, int restart) {
    // A stream is started once and never stopped, so restart has nothing to
    // rewind.
    (void)restart;
    if (handle != onlyStream || !streamOpen || playing) return 0;
    if (startSeconds > 0.0) skipToStart();
    for (ALuint buffer : buffers)
        if (!queueSlice(buffer)) break;
    alSourcePlay(source);
    playing = true;
    return 1;
}

void musicStartAt(double seconds) { startSeconds = seconds; }

void musicPump() {
    if (!playing) return;
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        queueSlice(buffer);
    }
    // A source that ran dry (a tab in the background gets no frames) stops;
    // it goes on from what is queued again.
    ALint state = 0, queued = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (state != AL_PLAYING && queued > 0) {
        ++timesRanDry;
        alSourcePlay(source);
    }
}

void musicQueueFigures(MusicQueueFigures* out) {
    *out = {slicesQueued, timesRanDry, static_cast<double>(framesSkipped)};
}

int BASS_Free() {
    if (!device) return 0;
    if (source) {
        alSourceStop(source);
        alDeleteSources(1, &source);
        alDeleteBuffers(bufferCount, buffers);
    }
    source = 0;
    if (streamOpen) oggClose(&decoder);
    streamOpen = playing = decodedAll = false;
    slicesQueued = timesRanDry = 0;
    framesSkipped = -1;
    musicStream = 0;
    alcMakeContextCurrent(nullptr);
    if (context) alcDestroyContext(context);
    alcCloseDevice(device);
    context = nullptr;
    device = nullptr;
    return 1;
}
