// The headless harness gives a real OpenGL 4.x context: a clear colour comes
// back from the framebuffer. EGL device enumeration finds Mesa's software
// device; the software choice takes it, the automatic one a hardware device
// where the machine has one and llvmpipe through the surfaceless platform
// where it has none.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

namespace {

std::string renderer() { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }

}  // namespace

TEST(Headless, EnumerationFindsMesasSoftwareDevice) {
    std::vector<HeadlessDeviceInfo> devices;
    headlessListDevices(&devices);
    int software = 0;
    for (const HeadlessDeviceInfo& d : devices) {
        std::printf("EGL device: %s %s\n", d.software ? "software" : "hardware",
                    d.renderNode.c_str());
        software += d.software;
    }
    EXPECT_EQ(software, 1);
}

TEST(Headless, SoftwareTakesTheSoftwareDevice) {
    headlessChooseDevice(HeadlessDevice::software);
    ASSERT_TRUE(headlessInit(8, 8));
    EXPECT_STREQ(headlessSourceName(), "EGL software device");
    EXPECT_EQ(renderer().rfind("llvmpipe", 0), 0u) << renderer();
}

TEST(Headless, AutomaticPrefersHardwareAndFallsBackToLlvmpipe) {
    std::vector<HeadlessDeviceInfo> devices;
    headlessListDevices(&devices);
    bool hardware = false;
    for (const HeadlessDeviceInfo& d : devices) hardware = hardware || !d.software;
    headlessChooseDevice(HeadlessDevice::automatic);
    ASSERT_TRUE(headlessInit(8, 8));
    std::printf("automatic: %s, %s\n", headlessSourceName(), renderer().c_str());
    if (hardware) {
        EXPECT_EQ(std::strncmp(headlessSourceName(), "EGL device ", 11), 0) << headlessSourceName();
        EXPECT_EQ(renderer().find("llvmpipe"), std::string::npos) << renderer();
    } else {
        EXPECT_STREQ(headlessSourceName(), "surfaceless platform");
        EXPECT_EQ(renderer().rfind("llvmpipe", 0), 0u) << renderer();
    }
    headlessChooseDevice(HeadlessDevice::software);
}
