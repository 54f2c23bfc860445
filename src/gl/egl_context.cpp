// Headless OpenGL context: an enumerated EGL device, or Mesa's surfaceless
// EGL platform.
#define GL_GLEXT_PROTOTYPES 1
#include "gl/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl/gl_api.h"

namespace {

int fbWidth = 0;
int fbHeight = 0;
HeadlessDevice chosenDevice = HeadlessDevice::software;
std::string sourceName;

void* eglGetProc(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

bool fail(const char* why) {
    std::fprintf(stderr, "headless GL: %s\n", why);
    return false;
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name))
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
    return false;
}

PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay = nullptr;

// The EGL devices, when the client library can enumerate them (libglvnd
// gathers those of every vendor library).
void queryDevices(std::vector<EGLDeviceEXT>* devices) {
    devices->clear();
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(client, "EGL_EXT_device_enumeration") ||
        !hasExtension(client, "EGL_EXT_platform_device"))
        return;
    auto queryDevicesExt =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (!queryDevicesExt) return;
    EGLint count = 0;
    if (!queryDevicesExt(0, nullptr, &count) || count <= 0) return;
    devices->resize(static_cast<size_t>(count));
    if (!queryDevicesExt(count, devices->data(), &count)) count = 0;
    devices->resize(static_cast<size_t>(count));
}

HeadlessDeviceInfo describeDevice(EGLDeviceEXT device) {
    auto queryString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(
        eglGetProcAddress("eglQueryDeviceStringEXT"));
    HeadlessDeviceInfo info = {false, ""};
    if (!queryString) return info;
    info.software = hasExtension(queryString(device, EGL_EXTENSIONS), "EGL_MESA_device_software");
    // The render node is what a headless process opens; the primary node
    // (EGL_DRM_DEVICE_FILE_EXT) only where no render node is named.
    const char* node = nullptr;
    if (hasExtension(queryString(device, EGL_EXTENSIONS), "EGL_EXT_device_drm_render_node"))
        node = queryString(device, EGL_DRM_RENDER_NODE_FILE_EXT);
    if (!node) node = queryString(device, EGL_DRM_DEVICE_FILE_EXT);
    if (node) info.renderNode = node;
    return info;
}

// An initialised display with an OpenGL 4.0 context made current on it.
bool makeCurrentContext(EGLDisplay display) {
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    // The same request as the show's: version 4.0, no profile mask, no flags.
    const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 0,
                                     EGL_NONE};
    EGLContext context =
        eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) return false;
    if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) return true;
    eglDestroyContext(display, context);
    return false;
}

// The first enumerated device of the wanted kind that gives a context.
bool contextOnDevice(bool software) {
    std::vector<EGLDeviceEXT> devices;
    queryDevices(&devices);
    for (EGLDeviceEXT device : devices) {
        const HeadlessDeviceInfo info = describeDevice(device);
        if (info.software != software) continue;
        if (!makeCurrentContext(getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr)))
            continue;
        sourceName = software ? "EGL software device"
                              : "EGL device " + (info.renderNode.empty() ? std::string("(unnamed)")
                                                                         : info.renderNode);
        return true;
    }
    return false;
}

bool contextOnSurfaceless() {
    // NOTE: the default EGL display needs an X server; the surfaceless
    // platform does not.
    if (!makeCurrentContext(
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)))
        return false;
    sourceName = "surfaceless platform";
    return true;
}

}  // namespace

void headlessChooseDevice(HeadlessDevice device) { chosenDevice = device; }

void headlessListDevices(std::vector<HeadlessDeviceInfo>* out) {
    std::vector<EGLDeviceEXT> devices;
    queryDevices(&devices);
    out->clear();
    for (EGLDeviceEXT device : devices) out->push_back(describeDevice(device));
}

const char* headlessSourceName() { return sourceName.c_str(); }

bool headlessInit(int width, int height) {
    getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return fail("no eglGetPlatformDisplayEXT");
    bool current = false;
    if (chosenDevice == HeadlessDevice::automatic) {
        // A GPU when there is one; Mesa's surfaceless platform otherwise,
        // which takes a GPU's render node itself if it can, else llvmpipe.
        current = contextOnDevice(false) || contextOnSurfaceless();
    } else {
        // NOTE: the surfaceless platform would pick a GPU where there is one,
        // so software goes through the enumerated software device, and only
        // without enumeration through surfaceless with software forced.
        current = contextOnDevice(true);
        if (!current) {
            setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
            current = contextOnSurfaceless();
        }
    }
    if (!current) return fail("no OpenGL 4.0 context");

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
