// The show's only clock: the number of frames rendered so far, and the frame
// routine that draws one frame from it.
#pragma once

// 0.0 at start; +1.0 per rendered frame. Its value after the increment is the
// frame number n that drives the whole show. Written only by renderFrame.
extern double frameCounter;

// Draws one frame and presents it; after the last frame it ends the process
// with exit code 0 instead of presenting.
void renderFrame();

// The background colour of the frame that follows `framesDone` frames.
void backgroundColor(float* rgba, double framesDone);
