// Headless OpenGL context on Mesa's surfaceless EGL platform.
#define GL_GLEXT_PROTOTYPES 1
#include "gl/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdio>

#include "gl/gl_api.h"

namespace {

int fbWidth = 0;
int fbHeight = 0;

void* eglGetProc(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

bool fail(const char* why) {
    std::fprintf(stderr, "headless GL: %s\n", why);
    return false;
}

}  // namespace

bool headlessInit(int width, int height) {
    // NOTE: the default EGL display needs an X server; the surfaceless
    // platform does not.
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return fail("no eglGetPlatformDisplayEXT");
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return fail("no surfaceless display");
    if (!eglInitialize(display, nullptr, nullptr)) return fail("eglInitialize failed");
    if (!eglBindAPI(EGL_OPENGL_API)) return fail("no desktop OpenGL API");

    // The same request as the show's: version 4.0, no profile mask, no flags.
    const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 0,
                                     EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) return fail("no OpenGL 4.0 context");
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return fail("eglMakeCurrent failed");

    loadGlApi(eglGetProc);
    if (const char* missing = missingGlEntry()) {
        std::fprintf(stderr, "headless GL: missing entry point %s\n", missing);
        return false;
    }

    GLuint framebuffer = 0, color = 0, depth = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &color);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return fail("framebuffer incomplete");

    // A window's context starts with a viewport covering the window; the
    // framebuffer object gets the same.
    glViewport(0, 0, width, height);
    fbWidth = width;
    fbHeight = height;
    return true;
}

int headlessWidth() { return fbWidth; }
int headlessHeight() { return fbHeight; }

void headlessReadPixels(std::vector<uint8_t>* rgba) {
    const size_t rowBytes = static_cast<size_t>(fbWidth) * 4;
    std::vector<uint8_t> bottomUp(rowBytes * fbHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, fbWidth, fbHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    rgba->resize(bottomUp.size());
    for (int y = 0; y < fbHeight; ++y) {
        const uint8_t* src = bottomUp.data() + rowBytes * (fbHeight - 1 - y);
        std::copy(src, src + rowBytes, rgba->data() + rowBytes * y);
    }
}
