// Drum voices: a kick with a falling pitch, a snare, and noise hats and
// cymbals. Each renders one hit into a mono buffer.
#pragma once

#include <cstdint>

struct KickSettings {
    double startHz = 160.0;  // the pitch at the hit
    double endHz = 48.0;     // the pitch it falls to
    double sweep = 0.035;    // seconds: the pitch fall's time constant
    double decay = 0.45;     // seconds to -60 dB
    double click = 0.3;      // level of the noise click at the hit
    double drive = 1.5;      // soft saturation, 1 = none to speak of
};

struct SnareSettings {
    double toneHz = 185.0;    // the lower of the two drumhead modes
    double toneDecay = 0.12;  // seconds to -60 dB
    double noise = 0.8;       // level of the snares against the head
    double noiseDecay = 0.22;
    double colorHz = 3200.0;  // centre of the snares' band
};

struct HatSettings {
    double cutoffHz = 7000.0;  // high-pass corner
    double decay = 0.06;       // seconds to -60 dB
    double q = 0.9;
};

// Each writes `count` samples of one hit of the given velocity into out;
// seed makes every hit's noise its own but the same on every run.
void renderKick(float* out, long count, const KickSettings& settings, double velocity,
                uint32_t seed);
void renderSnare(float* out, long count, const SnareSettings& settings, double velocity,
                 uint32_t seed);
void renderHat(float* out, long count, const HatSettings& settings, double velocity, uint32_t seed);
