// The show's music: three calls made once at start-up, in this order, after
// which "c.ogg" plays by itself on the audio layer's own thread. The names and
// arguments are those of the audio library this layer stands in for.
#pragma once

#include <cstdint>

typedef uint32_t HSTREAM;
typedef uint64_t QWORD;

constexpr uint32_t BASS_STREAM_PRESCAN = 0x20000;

// Opens the default output device (-1) at the given rate. Results are ignored by the show.
int BASS_Init(int device, uint32_t freq, uint32_t flags, void* window, const void* guid);

// Opens a stream on a file (mem false) from offset for length bytes (0: to the end).
HSTREAM BASS_StreamCreateFile(int mem, const void* file, QWORD offset, QWORD length,
                              uint32_t flags);

// Starts the stream from its beginning; it then plays on without further
// calls. Returns once the output has taken the first frames, after at most
// half a second.
int BASS_ChannelPlay(uint32_t handle, int restart);

// Stops the music and closes the output, waiting for the threads that play
// it; BASS_Init may then start over.
int BASS_Free();

extern HSTREAM musicStream;
