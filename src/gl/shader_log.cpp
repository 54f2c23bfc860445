// The info log of a failed shader build, found after the fact.
#include "gl/shader_log.h"

#include <cstring>

const char* shaderBuildLog(GlGetProc getProc) {
    // NOTE: the shared build code keeps no shader names and reads no log, so
    // the objects are found by name: GL drivers hand out shader and program
    // names counting up from 1, and the show creates nine at most. These
    // entries serve only this message, so they are fetched here rather than
    // kept in GlApi.
    using IsObject = GLboolean(QORV_GLAPI*)(GLuint);
    using GetInteger = void(QORV_GLAPI*)(GLuint, GLenum, GLint*);
    using GetLog = void(QORV_GLAPI*)(GLuint, GLsizei, GLsizei*, GLchar*);
    auto isShader = reinterpret_cast<IsObject>(getProc("glIsShader"));
    auto getShaderiv = reinterpret_cast<GetInteger>(getProc("glGetShaderiv"));
    auto shaderLog = reinterpret_cast<GetLog>(getProc("glGetShaderInfoLog"));
    auto isProgram = reinterpret_cast<IsObject>(getProc("glIsProgram"));
    auto getProgramiv = reinterpret_cast<GetInteger>(getProc("glGetProgramiv"));
    auto programLog = reinterpret_cast<GetLog>(getProc("glGetProgramInfoLog"));
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
