// PNG output of the headless tools: captured frames, contact sheets, the
// pictures a failed pixel test leaves behind.
#pragma once

#include <cstdint>

// Writes an RGBA8 image, top row first, as PNG. Returns false on failure
// (errno tells why), leaving whatever part was written.
bool writePng(const char* path, int width, int height, const uint8_t* rgba);
