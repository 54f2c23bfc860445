// The show's OpenGL 4.0 context on an SDL2 window.
#pragma once

#include <SDL.h>

// Asks for the show's pixel format and context before the window exists:
// 24-bit RGB colour, 24-bit depth, 8-bit stencil, double buffered, no
// multisampling; OpenGL 4.0 with no profile mask and no flags.
void sdlRequestPixelFormat();

// Creates the context on the window and makes it current; null on failure.
SDL_GLContext sdlCreateContext(SDL_Window* window);

// Fills glApi through SDL_GL_GetProcAddress; returns the name of the first
// entry the driver lacks, or null when every one is there.
const char* sdlMissingGlEntry();

// After a shader program failed to build: the first line of the info log of
// the shader that did not compile or the program that did not link, for the
// one line the shell prints.
const char* sdlShaderBuildError();

// Swap interval 1: each presentation waits for one vertical blank.
void sdlSetSwapInterval();
