// Ogg Vorbis encoding of the finished mix, through libvorbisenc.
#pragma once

// Encodes interleaved stereo at the show's rate at the given Vorbis quality
// (-0.1 .. 1) into path. False, with a message on stderr, on failure.
bool writeOggVorbis(const char* path, const float* frames, long count, double quality);
