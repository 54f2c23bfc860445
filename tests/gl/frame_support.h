// Renders chosen frames of the show headless: the whole start-up once per
// test process, then frame n drawn by the real frame routine.
#pragma once

#include "gl_test_support.h"

#include "app/headless_show.h"
#include "show/frame_clock.h"

inline void requireShow() {
    requireHeadlessContext();
    static bool started = headlessStartShow();
    ASSERT_TRUE(started);
}

inline Image renderShowFrame(double n) {
    frameCounter = n - 1.0;
    renderFrame();
    return readFramebuffer();
}

inline bool isColor(const uint8_t* p, int r, int g, int b, int tolerance) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
           std::abs(p[2] - b) <= tolerance;
}

inline int differingPixels(const Image& a, const Image& b, int tolerance) {
    int count = 0;
    for (size_t i = 0; i < a.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            if (std::abs(a.rgba[i + c] - b.rgba[i + c]) > tolerance) {
                ++count;
                break;
            }
    return count;
}
