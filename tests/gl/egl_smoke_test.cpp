// The headless harness gives a real OpenGL 4.x context: a clear colour comes
// back from the framebuffer.
#include <gtest/gtest.h>

#include "gl/egl_context.h"
#include "gl/gl_api.h"

TEST(Headless, ClearColourReadsBack) {
    ASSERT_TRUE(headlessInit(16, 8));
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 4);
    glClearColor(0.2f, 0.1f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> rgba;
    headlessReadPixels(&rgba);
    ASSERT_EQ(rgba.size(), 16u * 8u * 4u);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        ASSERT_EQ(rgba[i + 0], 51);
        ASSERT_EQ(rgba[i + 1], 26);
        ASSERT_EQ(rgba[i + 2], 0);
        ASSERT_EQ(rgba[i + 3], 255);
    }
}
