// OpenGL context creation and entry points through SDL2.
#include "gl/sdl_context.h"

#include "gl/gl_api.h"
#include "gl/shader_log.h"

namespace {

void* sdlGetProc(const char* name) { return SDL_GL_GetProcAddress(name); }

}  // namespace

void sdlRequestPixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
}

SDL_GLContext sdlCreateContext(SDL_Window* window) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context) SDL_GL_MakeCurrent(window, context);
    return context;
}

const char* sdlMissingGlEntry() {
    loadGlApi(sdlGetProc);
    return missingGlEntry();
}

const char* sdlShaderBuildError() { return shaderBuildLog(sdlGetProc); }

void sdlSetSwapInterval() { SDL_GL_SetSwapInterval(1); }
