// OpenGL context creation and entry points through SDL2.
#include "gl/sdl_context.h"

#include <cstring>

#include "gl/gl_api.h"

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

const char* sdlShaderBuildError() {
    // NOTE: the shared build code keeps no shader names and reads no log, so
    // the objects are found by name: GL drivers hand out shader and program
    // names counting up from 1, and the show creates nine at most. These
    // entries serve only this message, so they are fetched here rather than
    // kept in GlApi.
    using IsObject = GLboolean(QORV_GLAPI*)(GLuint);
    using GetInteger = void(QORV_GLAPI*)(GLuint, GLenum, GLint*);
    using GetLog = void(QORV_GLAPI*)(GLuint, GLsizei, GLsizei*, GLchar*);
    auto isShader = reinterpret_cast<IsObject>(sdlGetProc("glIsShader"));
    auto getShaderiv = reinterpret_cast<GetInteger>(sdlGetProc("glGetShaderiv"));
    auto shaderLog = reinterpret_cast<GetLog>(sdlGetProc("glGetShaderInfoLog"));
    auto isProgram = reinterpret_cast<IsObject>(sdlGetProc("glIsProgram"));
    auto getProgramiv = reinterpret_cast<GetInteger>(sdlGetProc("glGetProgramiv"));
    auto programLog = reinterpret_cast<GetLog>(sdlGetProc("glGetProgramInfoLog"));
    static char line[512];
    std::strcpy(line, "no info log");
    if (!isShader || !getShaderiv || !shaderLog || !isProgram || !getProgramiv || !programLog)
        return line;
    constexpr GLuint lastName = 64;
    for (GLuint name = 1; name <= lastName; ++name) {
        GLint status = GL_TRUE;
        if (isShader(name)) {
            getShaderiv(name, GL_COMPILE_STATUS, &status);
            if (status != GL_TRUE) {
                shaderLog(name, sizeof line, nullptr, line);
                break;
            }
        } else if (isProgram(name)) {
            // Only a program with both shaders attached has been linked.
            GLint attached = 0;
            getProgramiv(name, GL_ATTACHED_SHADERS, &attached);
            getProgramiv(name, GL_LINK_STATUS, &status);
            if (attached == 2 && status != GL_TRUE) {
                programLog(name, sizeof line, nullptr, line);
                break;
            }
        }
    }
    // One line: the first of the log, without its end of line.
    line[std::strcspn(line, "\r\n")] = '\0';
    return line[0] ? line : "no info log";
}

void sdlSetSwapInterval() { SDL_GL_SetSwapInterval(1); }
