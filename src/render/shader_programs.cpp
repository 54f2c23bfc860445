// Building the shader programs and giving them their start-up uniforms.
#include "render/shader_programs.h"

#include "gl/gl_api.h"
#include "math/vec.h"
#include "render/shader_sources.h"
#include "render/startup_matrices.h"
#include "render/uniform_upload.h"

uint32_t orenNayarProgram;
uint32_t viewAngleProgram;
uint32_t flatProgram;

namespace {

// Every program receives all eight names, whether its code reads them or not;
// a name the linker dropped answers -1 and its upload does nothing.
void uploadStartupUniforms(GLuint program) {
    const Vec3 viewDirection = {0.0f, 0.0f, 1.0f};
    const Vec3 lightPosition0 = {500.0f, -100.0f, -200.0f};
    const Vec3 lightColor0 = {0.5f, 1.0f, 0.1f};
    const Vec3 lightPosition1 = {-300.0f, 200.0f, 400.0f};
    const Vec3 lightColor1 = {0.9f, 0.4f, 0.0f};
    uploadMatrix(program, "world_matrix", &worldMatrix);
    uploadMatrix(program, "view_matrix", &viewMatrix);
    uploadMatrix(program, "projection_matrix", &projectionMatrix);
    uploadVector(program, "view_direction", &viewDirection);
    uploadVector(program, "light_position_0", &lightPosition0);
    uploadVector(program, "light_color_0", &lightColor0);
    uploadVector(program, "light_position_1", &lightPosition1);
    uploadVector(program, "light_color_1", &lightColor1);
}

}  // namespace

bool buildProgram(uint32_t* program, const char* const* vertexSource,
                  const char* const* fragmentSource) {
    GLuint vs = glApi.glCreateShader(GL_VERTEX_SHADER);
    GLuint fs = glApi.glCreateShader(GL_FRAGMENT_SHADER);
    *program = glApi.glCreateProgram();
    glApi.glShaderSource(vs, 1, vertexSource, nullptr);
    glApi.glShaderSource(fs, 1, fragmentSource, nullptr);
    glApi.glCompileShader(vs);
    glApi.glCompileShader(fs);

    // There is no fallback rendering path: the first failed status stops the
    // build, and the caller ends start-up.
    GLint status = 0;
    glApi.glGetShaderiv(vs, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) return false;
    glApi.glGetShaderiv(fs, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) return false;

    glApi.glAttachShader(*program, vs);
    glApi.glAttachShader(*program, fs);
    // Fixed before linking: the vertex array objects rely on these locations.
    glApi.glBindAttribLocation(*program, 0, "in_position");
    glApi.glBindAttribLocation(*program, 1, "in_normal");
    glApi.glLinkProgram(*program);
    glApi.glGetProgramiv(*program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) return false;
    glApi.glUseProgram(*program);
    return true;
}

bool buildShaderPrograms() { return buildShaderProgramsFrom(shaderSourceTable); }

bool buildShaderProgramsFrom(const char* const* table) {
    return buildProgram(&orenNayarProgram, &table[0], &table[1]) &&
           buildProgram(&viewAngleProgram, &table[2], &table[3]) &&
           buildProgram(&flatProgram, &table[4], &table[5]);
}

void setStartupUniforms() {
    const uint32_t programs[3] = {orenNayarProgram, viewAngleProgram, flatProgram};
    for (uint32_t program : programs) {
        glApi.glUseProgram(program);
        uploadStartupUniforms(program);
    }
}
