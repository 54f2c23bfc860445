// Start-up of the show on the headless context.
#include "app/headless_show.h"

#include "gl/egl_context.h"
#include "render/mesh_upload.h"
#include "render/render_state.h"
#include "render/shader_programs.h"
#include "render/startup_matrices.h"

bool headlessStartShow() {
    if (headlessWidth() <= 0 || headlessHeight() <= 0) return false;
    windowRect = {0, 0, headlessWidth(), headlessHeight()};
    setFixedRenderState();
    setStartupMatrices();
    if (!buildShaderPrograms()) return false;
    setStartupUniforms();
    uploadMeshes();
    return true;
}
