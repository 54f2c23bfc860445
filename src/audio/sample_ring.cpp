// The lock-free frame ring between the music thread and the output.
#include "audio/sample_ring.h"

#include <algorithm>
#include <cstring>

void ringInit(SampleRing* ring, uint32_t capacity) {
    uint32_t size = 1;
    while (size < capacity) size <<= 1;
    ring->samples = new int16_t[size * 2]();
    ring->capacity = size;
    ring->readCount.store(0);
    ring->writeCount.store(0);
}

void ringFree(SampleRing* ring) {
    delete[] ring->samples;
    ring->samples = nullptr;
    ring->capacity = 0;
}

// The counts wrap at 2^32, a multiple of the capacity, so their difference is
// the fill level and their low bits the position in the ring.
uint32_t ringReadable(const SampleRing* ring) {
    return ring->writeCount.load(std::memory_order_acquire) -
           ring->readCount.load(std::memory_order_acquire);
}

uint32_t ringWritable(const SampleRing* ring) { return ring->capacity - ringReadable(ring); }

uint32_t ringWrite(SampleRing* ring, const int16_t* frames, uint32_t count) {
    uint32_t written = ring->writeCount.load(std::memory_order_relaxed);
    uint32_t read = ring->readCount.load(std::memory_order_acquire);
    count = std::min(count, ring->capacity - (written - read));
    uint32_t start = written & (ring->capacity - 1);
    uint32_t first = std::min(count, ring->capacity - start);
    std::memcpy(ring->samples + start * 2, frames, first * 2 * sizeof(int16_t));
    std::memcpy(ring->samples, frames + first * 2, (count - first) * 2 * sizeof(int16_t));
    ring->writeCount.store(written + count, std::memory_order_release);
    return count;
}

uint32_t ringRead(SampleRing* ring, int16_t* frames, uint32_t count) {
    uint32_t read = ring->readCount.load(std::memory_order_relaxed);
    uint32_t written = ring->writeCount.load(std::memory_order_acquire);
    count = std::min(count, written - read);
    uint32_t start = read & (ring->capacity - 1);
    uint32_t first = std::min(count, ring->capacity - start);
    std::memcpy(frames, ring->samples + start * 2, first * 2 * sizeof(int16_t));
    std::memcpy(frames + first * 2, ring->samples, (count - first) * 2 * sizeof(int16_t));
    ring->readCount.store(read + count, std::memory_order_release);
    return count;
}
