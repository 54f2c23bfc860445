// Creating the show's OpenGL context with WGL: entry points fetched under a
// legacy probe context, then the attribute-chosen pixel format and the
// OpenGL 4.0 context on the show window.
#include "gl/wgl_context.h"

#include <cstdint>

WglApi wglApi;

namespace {

// Attribute and value pairs, closed by a single 0.
// clang-format off
const int kPixelFormatAttributes[] = {
    WGL_SUPPORT_OPENGL_ARB, TRUE,
    WGL_DRAW_TO_WINDOW_ARB, TRUE,
    WGL_ACCELERATION_ARB,   WGL_FULL_ACCELERATION_ARB,
    WGL_COLOR_BITS_ARB,     24,
    WGL_DEPTH_BITS_ARB,     24,
    WGL_DOUBLE_BUFFER_ARB,  TRUE,
    WGL_SWAP_METHOD_ARB,    WGL_SWAP_EXCHANGE_ARB,
    WGL_PIXEL_TYPE_ARB,     WGL_TYPE_RGBA_ARB,
    WGL_STENCIL_BITS_ARB,   8,
    0};

const int kContextAttributes[] = {
    WGL_CONTEXT_MAJOR_VERSION_ARB, 4,
    WGL_CONTEXT_MINOR_VERSION_ARB, 0,
    0};
// clang-format on

const int kAttributeCount = sizeof(kPixelFormatAttributes) / sizeof(kPixelFormatAttributes[0]);

void* wglGetProc(const char* name) { return wglProcOrNull(wglGetProcAddress(name)); }

// One search for at most one format; 0 unless it succeeds with a match.
int chooseWith(HDC dc, const int* attributes) {
    int format = 0;
    UINT count = 0;
    if (wglApi.wglChoosePixelFormatARB(dc, attributes, nullptr, 1, &format, &count) != TRUE)
        return 0;
    return count > 0 ? format : 0;
}

}  // namespace

void* wglProcOrNull(PROC proc) {
    // NOTE: some drivers answer 1, 2, 3 or -1 instead of null for a name they
    // do not export; calling such an address would crash.
    intptr_t value = reinterpret_cast<intptr_t>(proc);
    if (value >= -1 && value <= 3) return nullptr;
    return reinterpret_cast<void*>(proc);
}

void loadWglApi(GlGetProc getProc) {
    wglApi.wglChoosePixelFormatARB =
        reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(getProc("wglChoosePixelFormatARB"));
    wglApi.wglCreateContextAttribsARB =
        reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(getProc("wglCreateContextAttribsARB"));
    wglApi.wglSwapIntervalEXT =
        reinterpret_cast<PFNWGLSWAPINTERVALEXTPROC>(getProc("wglSwapIntervalEXT"));
    loadGlApi(getProc);
}

bool wglApiComplete() {
    return wglApi.wglChoosePixelFormatARB && wglApi.wglCreateContextAttribsARB &&
           wglApi.wglSwapIntervalEXT && !missingGlEntry();
}

bool wglProbeStage(HWND probeWindow) {
    HDC dc = GetDC(probeWindow);
    // The descriptor plays no part: format 1 is taken as it is.
    PIXELFORMATDESCRIPTOR descriptor = {};
    SetPixelFormat(dc, 1, &descriptor);
    HGLRC probeContext = wglCreateContext(dc);
    wglMakeCurrent(dc, probeContext);
    loadWglApi(wglGetProc);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(probeContext);
    ReleaseDC(probeWindow, dc);
    return wglApiComplete();
}

int wglChooseFormat(HDC dc) {
    int format = chooseWith(dc, kPixelFormatAttributes);
    if (format != 0) return format;

    // NOTE: some drivers offer no format with the exchange swap method (Wine
    // over Mesa is one), so the same list is asked for once more without that
    // pair; the swap method only says how the back buffer is handed over.
    int withoutSwapMethod[kAttributeCount];
    int length = 0;
    for (int i = 0; kPixelFormatAttributes[i] != 0; i += 2) {
        if (kPixelFormatAttributes[i] == WGL_SWAP_METHOD_ARB) continue;
        withoutSwapMethod[length++] = kPixelFormatAttributes[i];
        withoutSwapMethod[length++] = kPixelFormatAttributes[i + 1];
    }
    withoutSwapMethod[length] = 0;
    return chooseWith(dc, withoutSwapMethod);
}

bool wglMainStage(HDC dc) {
    int format = wglChooseFormat(dc);
    if (format == 0) return false;

    PIXELFORMATDESCRIPTOR descriptor = {};
    if (SetPixelFormat(dc, format, &descriptor) != TRUE) return false;

    HGLRC context = wglApi.wglCreateContextAttribsARB(dc, nullptr, kContextAttributes);
    if (context == nullptr) return false;
    wglMakeCurrent(dc, context);
    return true;
}
