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

// Renders frame n and answers how many triangles its draws handed to the
// rasteriser, counted by the driver.
inline GLuint trianglesDrawn(double n) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    frameCounter = n - 1.0;
    renderFrame();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

inline bool isColor(const uint8_t* p, int r, int g, int b, int tolerance) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
           std::abs(p[2] - b) <= tolerance;
}

// Pixels that are neither the brown background, nor black, nor the
// near-black backdrop: lit scene objects.
inline int litPixels(const Image& image) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (!isColor(p, 51, 26, 0, 3) && std::max({p[0], p[1], p[2]}) > 12) ++count;
        }
    return count;
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
