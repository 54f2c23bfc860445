// A single-producer, single-consumer ring of stereo 16-bit frames: the music
// thread writes decoded frames, the output's thread or callback reads them.
// Neither side ever waits or locks.
#pragma once

#include <atomic>
#include <cstdint>

struct SampleRing {
    int16_t* samples = nullptr;           // capacity frames of two samples each
    uint32_t capacity = 0;                // frames; a power of two
    std::atomic<uint32_t> readCount{0};   // frames read so far, wrapping
    std::atomic<uint32_t> writeCount{0};  // frames written so far, wrapping
};

// Gives the ring room for capacity frames (rounded up to a power of two).
void ringInit(SampleRing* ring, uint32_t capacity);
void ringFree(SampleRing* ring);

// Frames ready to read, and room left to write.
uint32_t ringReadable(const SampleRing* ring);
uint32_t ringWritable(const SampleRing* ring);

// Copies up to count frames in or out; returns how many were copied.
uint32_t ringWrite(SampleRing* ring, const int16_t* frames, uint32_t count);
uint32_t ringRead(SampleRing* ring, int16_t* frames, uint32_t count);
