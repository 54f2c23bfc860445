// Shared set-up for the headless GL tests: one context per test process, and
// a PNG of the framebuffer next to the test log when a pixel check fails.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/png_write.h"
#include "gl/egl_context.h"
#include "gl/gl_api.h"

constexpr int kTestWidth = 192;
constexpr int kTestHeight = 108;

inline void requireHeadlessContext() {
    static bool ready = headlessInit(kTestWidth, kTestHeight);
    ASSERT_TRUE(ready) << "no headless OpenGL 4 context";
}

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

inline Image readFramebuffer() {
    Image image;
    image.width = headlessWidth();
    image.height = headlessHeight();
    headlessReadPixels(&image.rgba);
    return image;
}

// Writes the image as <test name>-<tag>.png in the working directory (the
// test's build folder), for a person to look at after a failure.
inline std::string saveForInspection(const Image& image, const char* tag) {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string path = std::string(info ? info->name() : "frame") + "-" + tag + ".png";
    writePng(path.c_str(), image.width, image.height, image.rgba.data());
    return path;
}
