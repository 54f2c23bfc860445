// Rendering show frames headless for capture, exactly as the show draws them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ContextResult { ready, tooLarge, unavailable };

// Makes the headless context with a framebuffer of the output size times
// `supersample`, and runs the show's start-up. tooLarge (with the limit in
// *error) when the GL cannot hold that framebuffer.
ContextResult startCaptureContext(std::string* error, int width, int height, int supersample);

// GL_RENDERER of the context, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
std::string captureRendererName();

// Draws frame n (1..8000) with the show's frame routine and returns it at the
// output size, RGBA, top row first.
void grabFrame(std::vector<uint8_t>* rgba, int n);
