// White noise from a seeded generator, the same on every machine.
#pragma once

#include <cstdint>

struct Noise {
    uint32_t state = 2463534242u;
};

// A uniform value in [-1, 1). Marsaglia's xorshift32 ("Xorshift RNGs",
// Journal of Statistical Software 8(14), 2003), shifts 13, 17, 5.
inline float noiseNext(Noise* noise) {
    uint32_t x = noise->state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    noise->state = x;
    return float(int32_t(x)) * (1.0f / 2147483648.0f);
}
