// FIFO vertex cache simulation. A vertex hit in the cache costs nothing and
// does not move; a miss transforms it and pushes it in, evicting the oldest
// entry. Each vertex remembers when it entered, so a lookup is O(1).
#include "vertex_cache.h"

#include <vector>

double fifoAcmr(const uint32_t* indices, size_t indexCount, uint32_t vertexCount,
                unsigned cacheSize) {
    if (indexCount < 3) return 0.0;
    // entered[v]: the miss count just before v was last pushed, or never. It
    // is still cached while at most cacheSize pushes (its own included) have
    // happened since.
    const uint64_t kNever = ~uint64_t(0);
    std::vector<uint64_t> entered(vertexCount, kNever);
    uint64_t misses = 0;
    for (size_t i = 0; i < indexCount; ++i) {
        const uint32_t v = indices[i];
        if (entered[v] != kNever && misses - entered[v] <= cacheSize) continue;
        entered[v] = misses;
        ++misses;
    }
    return double(misses) / double(indexCount / 3);
}
