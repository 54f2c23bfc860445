// Frame n is drawn by the real frame routine: frameCounter is set to n - 1,
// renderFrame advances it to n and draws; its present() is the headless
// shell's glFlush, and the pixels are read back after it.
#include "frame_grab.h"

#include <algorithm>

#include "app/headless_show.h"
#include "box_filter.h"
#include "gl/egl_context.h"
#include "gl/gl_types.h"
#include "show/frame_clock.h"

namespace {

int outWidth = 0;
int outHeight = 0;
int factor = 1;
std::vector<uint8_t> rendered;

}  // namespace

ContextResult startCaptureContext(std::string* error, int width, int height, int supersample) {
    // A small context first, to ask the GL for its limits before asking it
    // for a framebuffer it cannot make.
    if (!headlessInit(16, 16)) {
        *error = "no headless OpenGL 4 context";
        return ContextResult::unavailable;
    }
    GLint maxRenderbuffer = 0;
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    const int limit = std::min({maxRenderbuffer, maxViewport[0], maxViewport[1]});
    if (width * supersample > limit || height * supersample > limit) {
        *error = "--size " + std::to_string(width) + "x" + std::to_string(height) +
                 (supersample > 1 ? " with --supersample " + std::to_string(supersample) : "") +
                 ": beyond this GL's largest framebuffer side " + std::to_string(limit);
        return ContextResult::tooLarge;
    }
    if (!headlessInit(width * supersample, height * supersample) || !headlessStartShow()) {
        *error = "no headless OpenGL 4 context";
        return ContextResult::unavailable;
    }
    outWidth = width;
    outHeight = height;
    factor = supersample;
    return ContextResult::ready;
}

std::string captureRendererName() {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "an unnamed renderer";
}

void grabFrame(std::vector<uint8_t>* rgba, int n) {
    frameCounter = n - 1.0;
    renderFrame();
    if (factor == 1) {
        headlessReadPixels(rgba);
    } else {
        headlessReadPixels(&rendered);
        rgba->resize(static_cast<size_t>(outWidth) * outHeight * 4);
        boxDownsample(rgba->data(), rendered.data(), outWidth, outHeight, factor);
    }
    // NOTE: the curtains write alpha 0 (their colour's alpha is the second
    // light's red, black), which a window never shows but a PNG viewer does,
    // as holes. The picture is what the screen shows: opaque.
    for (size_t i = 3; i < rgba->size(); i += 4) (*rgba)[i] = 255;
}
