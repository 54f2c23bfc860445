// Uniform uploads by name.
#include "render/uniform_upload.h"

#include "gl/gl_api.h"

void uploadMatrix(uint32_t program, const char* name, const Mat4* matrix) {
    GLint location = glApi.glGetUniformLocation(program, name);
    glApi.glUniformMatrix4fv(location, 1, GL_FALSE, matrix->m);
}

void uploadVector(uint32_t program, const char* name, const Vec3* vector) {
    GLint location = glApi.glGetUniformLocation(program, name);
    glApi.glUniform3fv(location, 1, &vector->x);
}
