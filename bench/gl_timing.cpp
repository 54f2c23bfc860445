// Start-up and frame timings on the headless context.
#include "gl_timing.h"

#include <chrono>

#include "gl/egl_context.h"
#include "gl/gl_types.h"
#include "render/mesh_upload.h"
#include "render/render_state.h"
#include "render/shader_programs.h"
#include "render/shader_sources.h"
#include "render/startup_matrices.h"
#include "show/frame_clock.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

bool timeStartup(StartupTimes* out, int width, int height) {
    out->width = width;
    out->height = height;
    Clock::time_point t = Clock::now();
    if (!headlessInit(width, height)) return false;
    glFinish();
    out->contextMs = millisecondsSince(t);

    // The steps of headlessStartShow, with a clock between them.
    windowRect = {0, 0, width, height};
    setFixedRenderState();
    setStartupMatrices();
    t = Clock::now();
    if (!buildShaderPrograms()) return false;
    setStartupUniforms();
    glFinish();
    out->shaderMs = millisecondsSince(t);

    t = Clock::now();
    uploadMeshes();
    glFinish();
    out->meshUploadMs = millisecondsSince(t);

    t = Clock::now();
    frameCounter = 0.0;
    renderFrame();
    glFinish();
    out->firstFrameMs = millisecondsSince(t);
    return true;
}

void timeFrame(std::vector<double>* samples, int n, int repetitions) {
    samples->clear();
    for (int r = 0; r < repetitions; ++r) {
        Clock::time_point t = Clock::now();
        frameCounter = n - 1.0;
        renderFrame();
        glFinish();
        samples->push_back(millisecondsSince(t));
    }
}

bool useFlatProgramEverywhere() {
    uint32_t flat = 0;
    if (!buildProgram(&flat, &passNormalVertexShader, &flatFragmentShader)) return false;
    orenNayarProgram = flat;
    viewAngleProgram = flat;
    flatProgram = flat;
    // All eight start-up uniforms, projection included, into the new program.
    setStartupUniforms();
    return true;
}

const char* glRendererName() { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }
const char* glVersionName() { return reinterpret_cast<const char*>(glGetString(GL_VERSION)); }
