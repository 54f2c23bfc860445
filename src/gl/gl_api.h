// GlApi: the table of OpenGL 2.0 to 3.0 entry points that the show fetches at
// run time, filled once by loadGlApi through the platform's get-proc function.
#pragma once

#include "gl/gl_types.h"

// Order is the order of fetching. Each entry: return type, name, parameters.
#define QORV_GL_ENTRIES(X)                                                                         \
    X(void, glAttachShader, (GLuint program, GLuint shader))                                       \
    X(void, glBindBuffer, (GLenum target, GLuint buffer))                                          \
    X(void, glBindVertexArray, (GLuint array))                                                     \
    X(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage))        \
    X(void, glCompileShader, (GLuint shader))                                                      \
    X(GLuint, glCreateProgram, (void))                                                             \
    X(GLuint, glCreateShader, (GLenum type))                                                       \
    X(void, glEnableVertexAttribArray, (GLuint index))                                             \
    X(void, glGenBuffers, (GLsizei n, GLuint * buffers))                                           \
    X(void, glGenVertexArrays, (GLsizei n, GLuint * arrays))                                       \
    X(void, glGetProgramiv, (GLuint program, GLenum pname, GLint * params))                        \
    X(void, glGetShaderiv, (GLuint shader, GLenum pname, GLint * params))                          \
    X(void, glLinkProgram, (GLuint program))                                                       \
    X(void, glShaderSource,                                                                        \
      (GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length))            \
    X(void, glUseProgram, (GLuint program))                                                        \
    X(void, glVertexAttribPointer,                                                                 \
      (GLuint index, GLint size, GLenum type, GLboolean normalized, GLsizei stride,                \
       const void* pointer))                                                                       \
    X(void, glBindAttribLocation, (GLuint program, GLuint index, const GLchar* name))              \
    X(GLint, glGetUniformLocation, (GLuint program, const GLchar* name))                           \
    X(void, glUniformMatrix4fv,                                                                    \
      (GLint location, GLsizei count, GLboolean transpose, const GLfloat* value))                  \
    X(void, glUniform3fv, (GLint location, GLsizei count, const GLfloat* value))

#define QORV_GL_POINTER_TYPE(ret, name, params) typedef ret(QORV_GLAPI* name##Fn) params;
QORV_GL_ENTRIES(QORV_GL_POINTER_TYPE)
#undef QORV_GL_POINTER_TYPE

struct GlApi {
#define QORV_GL_MEMBER(ret, name, params) name##Fn name;
    QORV_GL_ENTRIES(QORV_GL_MEMBER)
#undef QORV_GL_MEMBER
};

extern GlApi glApi;

// Answers the address of a named entry point, or null.
typedef void* (*GlGetProc)(const char* name);

// Fills every entry of glApi from getProc, in table order, null results included.
void loadGlApi(GlGetProc getProc);

// The name of the first entry that loadGlApi left null, or null when all are there.
const char* missingGlEntry();
