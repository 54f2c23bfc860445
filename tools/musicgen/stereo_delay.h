// A ping-pong delay: echoes that alternate between left and right.
#pragma once

#include <vector>

struct DelaySettings {
    long samples = 13781;   // one echo's time
    double feedback = 0.4;  // each echo's level against the one before
    double damping = 0.3;   // 0..1: how much each echo loses its top
};

// Adds the echoes of in (mono, frames long) into out (stereo, interleaved).
void stereoDelay(float* out, const float* in, long frames, const DelaySettings& settings);
