// Capture throughput: qorv-capture run as a user runs it, writing PNG frames
// with one job and with its default (one per core), frames per second.
#pragma once

#include <string>
#include <vector>

struct CaptureThroughput {
    int width, height;
    int frames;
    int jobs;            // as the capture reports it
    double fps;          // the capture's own figure: frames over time once started
    double wallSeconds;  // the whole run, start-up of every worker included
};

// Runs qorv-capture (found beside this executable or in the build tree)
// twice per size, with --jobs 1 and without --jobs; false with a reason when
// a run fails or its final line cannot be read.
bool measureCaptureThroughput(std::vector<CaptureThroughput>* out, std::string* error, int width,
                              int height, int firstFrame, int lastFrame, const char* device);
