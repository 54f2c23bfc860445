// Everything qorv-bench measures, and its two ways out: a table for people
// and JSON for tools.
#pragma once

#include <string>
#include <vector>

#include "bench_stats.h"
#include "blob_shading.h"
#include "capture_throughput.h"
#include "gl_timing.h"

struct FrameTiming {
    int width, height, frame;
    TimeStats show;  // milliseconds, the show's programs
    TimeStats flat;  // milliseconds, one flat-colour program
};

// A blob frame drawn alternately with the embedded blob and another one.
struct BlobComparison {
    int width, height, frame;
    TimeStats embedded, other;  // milliseconds, the show's programs
};

struct CacheFigures {
    std::string mesh;
    unsigned vertices, triangles;
    double acmr16, acmr32;
};

struct CpuFigure {
    int frame;
    double microseconds;
};

struct BenchReport {
    std::string renderer, glVersion;
    std::string device;  // where the context came from, e.g. "surfaceless platform"
    bool quick;
    int repetitions;
    std::vector<StartupTimes> startup;
    std::vector<FrameTiming> frames;
    std::vector<CacheFigures> caches;
    bool cpuMeasured;
    std::vector<CpuFigure> cpuFrames;
    double cpuTimelineMicroseconds;
    int captureFirst, captureLast;  // the frames each capture run renders
    std::vector<CaptureThroughput> capture;
    std::string blobAgainst;  // the other blob's mesh file; empty when not asked
    std::vector<BlobComparison> blobComparisons;
    bool blobShading;  // whether --blob-shading was given
    std::vector<std::string> blobShadingFiles;
    std::string blobShadingPictures;  // a folder for the measure's pictures, or empty
    BlobShadingRun shading;
};

void printTable(const BenchReport& report);
void printJson(const BenchReport& report);
