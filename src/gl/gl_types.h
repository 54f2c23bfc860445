// OpenGL types, enums and the OpenGL 1.1 functions that the show calls
// directly from the platform's GL library.
#pragma once

// NOTE: mingw's GL/gl.h pulls in windows.h unless these two are defined; the
// portable code must not see windows.h, so they are defined for the include
// and taken back afterwards.
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define WINGDIAPI __declspec(dllimport)
#define QORV_UNDEF_GL_MACROS
#endif

#include <GL/gl.h>
#include <GL/glext.h>

#if defined(_WIN32)
#define QORV_GLAPI __stdcall
#else
#define QORV_GLAPI
#endif

#ifdef QORV_UNDEF_GL_MACROS
#undef APIENTRY
#undef WINGDIAPI
#undef QORV_UNDEF_GL_MACROS
#endif
