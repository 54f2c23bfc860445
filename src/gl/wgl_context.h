// The show's OpenGL context on Windows: the probe stage, which fetches every
// entry point under a throw-away legacy context, and the main stage, which
// gives the show window its pixel format and its OpenGL 4.0 context.
#pragma once

#include <windows.h>

#include "gl/gl_api.h"

// wglext.h needs the GL types from gl_api.h above.
#include <GL/wglext.h>

// The three WGL extension entries, fetched under the probe context before GlApi.
struct WglApi {
    PFNWGLCHOOSEPIXELFORMATARBPROC wglChoosePixelFormatARB;
    PFNWGLCREATECONTEXTATTRIBSARBPROC wglCreateContextAttribsARB;
    PFNWGLSWAPINTERVALEXTPROC wglSwapIntervalEXT;
};

extern WglApi wglApi;

// wglGetProcAddress's answer as an address, or null where the answer is one
// of the values some drivers give for a name they lack.
void* wglProcOrNull(PROC proc);

// Fills wglApi and then glApi from getProc, each in its fetching order.
void loadWglApi(GlGetProc getProc);

// Whether every entry that the show calls, WGL and GL alike, was supplied: a
// null entry would crash at its first call somewhere in the show.
bool wglApiComplete();

// On the hidden probe window: pixel format 1, a legacy context made current
// while the entries are fetched, then dropped again. Leaves no context current;
// false when an entry is missing.
bool wglProbeStage(HWND probeWindow);

// The index of a pixel format for dc that fits the show, or 0 when none does.
int wglChooseFormat(HDC dc);

// Sets the pixel format of dc and makes an OpenGL 4.0 context current on it;
// false, at the first step that fails, when either cannot be done.
bool wglMainStage(HDC dc);
