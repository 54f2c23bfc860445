// Headless OpenGL for tests, capture and benchmarks: an OpenGL 4.x context on
// EGL's surfaceless platform (no display needed) rendering into a framebuffer
// object of a chosen size, with pixel read-back.
#pragma once

#include <cstdint>
#include <vector>

// Creates the context, makes it current, fills glApi and binds a framebuffer
// object of width x height with RGBA8 colour and 24/8 depth-stencil, viewport
// covering it. Returns false (and prints why) when any of it fails.
bool headlessInit(int width, int height);

int headlessWidth();
int headlessHeight();

// Reads the framebuffer as RGBA8, top row first (as an image is stored).
void headlessReadPixels(std::vector<uint8_t>* rgba);

// Writes an RGBA8 image, top row first, as PNG. Returns false on failure.
bool writePng(const char* path, int width, int height, const uint8_t* rgba);
