// A music stream: one file decoded a block at a time on a thread of its own
// into a ring that the audio output drains. Opening, the pre-scan, decoding
// and the device all happen on that thread; the caller's thread waits only in
// streamWaitStarted, and only as long as it allows.
#pragma once

#include <cstdint>

struct MusicStream;

enum class StreamState : int {
    opening,  // the music thread is opening the file
    failed,   // the file is not playable or no output opened: silence
    ready,    // buffered, waiting for streamPlay
    playing,  // the output is pulling frames
};

// Starts a stream on bytes [offset, offset + length) of the file at path
// (length 0: to the end). prescan reads the page headers at the end of the
// file to learn the length. deviceRate is the rate the output should run at.
// Returns at once; a file that cannot be played shows up as failed later.
MusicStream* streamCreate(const char* path, uint64_t offset, uint64_t length, bool prescan,
                          uint32_t deviceRate);

// Starts playback from the beginning of the file as soon as it is buffered.
void streamPlay(MusicStream* stream);

// After streamPlay: waits until the output has taken its first frames, the
// stream has failed or ended, or maxMilliseconds have passed. True when the
// output has taken frames.
bool streamWaitStarted(const MusicStream* stream, int maxMilliseconds);

// For the output: copies up to count interleaved stereo frames and returns how
// many; fewer (down to 0) when the decoder is behind or has finished.
int streamPull(MusicStream* stream, int16_t* frames, int count);

// True once the decoder has finished and every decoded frame has been pulled.
bool streamDrained(const MusicStream* stream);

StreamState streamState(const MusicStream* stream);
uint32_t streamSampleRate(const MusicStream* stream);    // 0 until opened
uint64_t streamLengthFrames(const MusicStream* stream);  // 0 when not pre-scanned

// Stops the music thread and waits for it, closes the output if the stream
// opened it (which waits for the output's own thread), then frees the stream.
void streamDestroy(MusicStream* stream);
