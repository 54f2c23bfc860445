// Headless OpenGL for tests, capture and benchmarks: an OpenGL 4.x context
// without a window (an EGL device, or Mesa's surfaceless platform) rendering
// into a framebuffer object of a chosen size, with pixel read-back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Which renderer a headless context takes. software: Mesa's software
// rasteriser (llvmpipe), the same pictures on every machine, so tests and
// reference pictures pin it. automatic: a hardware device when the machine
// has one that gives OpenGL 4, else the surfaceless platform.
enum class HeadlessDevice { software, automatic };

// Chooses the renderer for the next headlessInit; software until changed.
void headlessChooseDevice(HeadlessDevice device);

// One EGL device as enumerated: whether it is Mesa's software device, and
// its DRM render node where it names one.
struct HeadlessDeviceInfo {
    bool software;
    std::string renderNode;
};

// The EGL devices of this machine; empty without EGL_EXT_device_enumeration.
void headlessListDevices(std::vector<HeadlessDeviceInfo>* devices);

// Creates the context, makes it current, fills glApi and binds a framebuffer
// object of width x height with RGBA8 colour and 24/8 depth-stencil, viewport
// covering it. Returns false (and prints why) when any of it fails.
bool headlessInit(int width, int height);

// Where the current context came from, e.g. "EGL software device",
// "EGL device /dev/dri/renderD128", "surfaceless platform".
const char* headlessSourceName();

int headlessWidth();
int headlessHeight();

// Reads the framebuffer as RGBA8, top row first (as an image is stored).
void headlessReadPixels(std::vector<uint8_t>* rgba);
