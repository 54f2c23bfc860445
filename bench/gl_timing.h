// Timings on the headless GL: the show's start-up in its stages, single
// frames drawn to completion, and the swap to a trivial program.
#pragma once

#include <vector>

struct StartupTimes {
    int width, height;
    double contextMs;     // EGL context and framebuffer
    double shaderMs;      // compile and link of the three programs, start-up uniforms
    double meshUploadMs;  // the four meshes into GPU buffers
    double firstFrameMs;  // frame 1, finished
};

// Makes a fresh context of the given size and runs the show's start-up in the
// order the shells use, timing each stage up to the finished first frame.
bool timeStartup(StartupTimes* out, int width, int height);

// Draws frame n `repetitions` times with the show's frame routine, each
// finished with glFinish; milliseconds per draw into *samples.
void timeFrame(std::vector<double>* samples, int n, int repetitions);

// Replaces the show's three programs by one flat-colour program with the same
// interface (the show's own flat program, built once more), so the same draws
// run with trivial shading. False when that program does not build.
bool useFlatProgramEverywhere();

// GL_RENDERER and GL_VERSION of the current context.
const char* glRendererName();
const char* glVersionName();
