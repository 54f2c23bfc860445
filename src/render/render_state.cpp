// The render state that every frame relies on; layers that switch the depth
// test off switch it back on before they return.
#include "render/render_state.h"

#include "gl/gl_types.h"

void setFixedRenderState() {
    glClearColor(kBackgroundColor[0], kBackgroundColor[1], kBackgroundColor[2],
                 kBackgroundColor[3]);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}
