// A check of the Vorbis comment header before stb_vorbis reads it: stb_vorbis
// trusts the lengths in that header and writes past its buffers when they
// overflow, so a stream whose lengths do not fit their packet is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Over bytes in memory.
bool vorbisCommentsFit(const uint8_t* data, size_t size);

// Over size bytes of a file from its current position, which is restored.
bool vorbisCommentsFitFile(FILE* file, uint64_t size);
