// renderFrame: clear, count, the layers at their fixed places, the end test,
// present.
#include "show/frame_clock.h"

#include "gl/gl_types.h"
#include "render/render_state.h"
#include "show/layers.h"
#include "show/shell.h"
#include "show/timeline.h"

double frameCounter = 0.0;

void backgroundColor(float* rgba, double framesDone) {
    const float red = kBackgroundColor[0];
    const float green = kBackgroundColor[1];
    if (framesDone >= kBackgroundFadeFrame) {
        // No rate on d: red and green fall by a whole 1.0 per frame, and a
        // fixed-point colour buffer clamps the negative values to 0, so the
        // background is brown through frame 3501 and black after it.
        float d = static_cast<float>(framesDone - kBackgroundFadeFrame);
        rgba[0] = red - d;
        rgba[1] = green - d;
    } else {
        rgba[0] = red;
        rgba[1] = green;
    }
    rgba[2] = kBackgroundColor[2];
    rgba[3] = kBackgroundColor[3];
}

void renderFrame() {
    float clear[4];
    backgroundColor(clear, frameCounter);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    frameCounter += 1.0;
    const double n = frameCounter;

    cameraStep(n);
    backdropLayer(n);
    ringLayer(n);
    blobLayer(n);

    // Frame 8001 is drawn into the back buffer but never shown.
    if (n > kLastPresentedFrame) endProcess(0);

    curtainLayer(n);
    present();
}
