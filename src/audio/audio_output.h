// What the music layer needs from the platform's audio output. Each platform
// defines these in its own file (sdl_output.cpp, waveout_output.cpp); tests
// define their own.
#pragma once

#include <cstdint>

struct MusicStream;

// Prepares the platform's audio system; called once, on the show's thread, by
// BASS_Init. False when the platform has no audio at all.
bool audioOutputInit();

// Opens the default output device at deviceRate and starts playing the
// stream's frames, which come at streamRate, pulling them with streamPull on
// the output's own thread or callback. Called on the music thread once the
// stream is buffered and asked to play. False when no device opens; the
// stream then stays silent.
bool audioOutputOpen(MusicStream* stream, uint32_t deviceRate, uint32_t streamRate);

// Stops the output that audioOutputOpen opened and closes the device; when it
// returns, the output's thread or callback no longer runs and never pulls from
// the stream again. Called by streamDestroy, after the music thread has ended.
void audioOutputClose();
