// Average cache miss ratio (ACMR) of an index buffer: vertices the GPU
// transforms per triangle, simulated with a FIFO post-transform cache.
// 3.0 is the worst case; a regular closed mesh approaches 0.5 at best.
#pragma once

#include <cstddef>
#include <cstdint>

// Lowest ACMR any order could reach: each vertex transformed once.
constexpr double kAcmrFloor = 0.5;

// Misses per triangle of a FIFO cache of cacheSize entries over the indices
// (three per triangle), vertices numbered below vertexCount.
double fifoAcmr(const uint32_t* indices, size_t indexCount, uint32_t vertexCount,
                unsigned cacheSize);
