// Rendering in worker processes. Each worker is forked before this process
// makes any EGL call and makes its own headless context; worker k of N draws
// the frames at positions k, k + N, k + 2N, ... of the list, so costly and
// cheap stretches of the timeline spread evenly. A worker either writes its
// frames as PNGs itself or sends their pixels back, and the frames are taken
// from the workers in list order, so the output does not depend on N.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame_grab.h"
#include "gl/egl_context.h"

struct WorkerPlan {
    int jobs;
    std::vector<int> frames;  // in output order
    int width, height, supersample;
    HeadlessDevice device;
    int rasterThreads;      // LP_NUM_THREADS for each worker, 0: leave it to llvmpipe
    std::string pngFolder;  // non-empty: workers write FOLDER/frame-NNNN.png themselves
};

// The cores this process may run on.
int availableCores();

// llvmpipe's raster threads per worker so that workers times threads stays
// near the cores: cores / jobs, at least 1.
int rasterThreadsFor(int jobs, int cores);

// Forks the workers and waits until each has its context. Not ready (with
// the first worker's reason in *error) stops them all. *renderer gets the
// GL_RENDERER of the first worker.
ContextResult startWorkers(std::string* error, std::string* renderer, const WorkerPlan& plan);

// Waits for the frame at position `index` of the plan's list (taken in
// order, 0, 1, 2, ...): its pixels, output size RGBA, when the workers send
// pixels. False with a message when its worker failed or died.
bool takeFrame(std::string* error, std::vector<uint8_t>* rgba, size_t index);

// After the last frame: waits for every worker to end; false when one failed.
bool finishWorkers(std::string* error);

// Ends every worker at once after a failure; each removes the file it was
// writing.
void stopWorkers();
