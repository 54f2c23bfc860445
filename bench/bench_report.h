// Everything qorv-bench measures, and its two ways out: a table for people
// and JSON for tools.
#pragma once

#include <string>
#include <vector>

#include "bench_stats.h"
#include "gl_timing.h"

struct FrameTiming {
    int width, height, frame;
    TimeStats show;  // milliseconds, the show's programs
    TimeStats flat;  // milliseconds, one flat-colour program
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
    bool quick;
    int repetitions;
    std::vector<StartupTimes> startup;
    std::vector<FrameTiming> frames;
    std::vector<CacheFigures> caches;
    bool cpuMeasured;
    std::vector<CpuFigure> cpuFrames;
    double cpuTimelineMicroseconds;
};

void printTable(const BenchReport& report);
void printJson(const BenchReport& report);
