// A small seeded generator (splitmix64) for the build-time searches: the
// same seed gives the same numbers on every machine and every run.
#pragma once

#include <cstdint>

struct SeededRandom {
    uint64_t state;
};

inline void seedRandom(SeededRandom* r, uint64_t seed) { r->state = seed; }

inline uint64_t randomBits(SeededRandom* r) {
    uint64_t z = (r->state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1).
inline double randomUnit(SeededRandom* r) {
    return double(randomBits(r) >> 11) * (1.0 / 9007199254740992.0);
}

// Uniform in [0, n).
inline int randomBelow(SeededRandom* r, int n) { return int(randomUnit(r) * n); }
