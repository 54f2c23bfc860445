// The bench report as a table and as JSON.
#include "bench_report.h"

#include <algorithm>
#include <cstdio>

namespace {

// The lowest ACMR any order of a closed mesh can reach: each vertex
// transformed once, against two triangles per vertex.
constexpr double kAcmrFloor = 0.5;

// The show's shading cost relative to the geometry alone: medians.
double shadingRatio(const FrameTiming& f) {
    return f.flat.median > 0.0 ? f.show.median / f.flat.median : 0.0;
}

void jsonString(const std::string& text) {
    std::putchar('"');
    for (char c : text) {
        if (c == '"' || c == '\\')
            std::printf("\\%c", c);
        else if (static_cast<unsigned char>(c) < 0x20)
            std::printf("\\u%04x", c);
        else
            std::putchar(c);
    }
    std::putchar('"');
}

double otherOverEmbedded(const BlobComparison& c) {
    return c.embedded.median > 0.0 ? c.other.median / c.embedded.median : 0.0;
}

void jsonStats(const char* name, const TimeStats& s) {
    std::printf("\"%s\": {\"min\": %.3f, \"median\": %.3f, \"max\": %.3f}", name, s.min, s.median,
                s.max);
}

}  // namespace

void printTable(const BenchReport& r) {
    std::printf("qorv-bench on %s (%s) via %s%s\n\n", r.renderer.c_str(), r.glVersion.c_str(),
                r.device.c_str(), r.quick ? ", quick" : "");
    std::printf("Frame time, ms (%d runs each, glFinish per frame)\n", r.repetitions);
    std::printf("%-10s %5s | %8s %8s %8s | %8s %8s %8s | %6s\n", "size", "frame", "min", "median",
                "max", "flat min", "flat med", "flat max", "ratio");
    for (const FrameTiming& f : r.frames) {
        char size[24];
        std::snprintf(size, sizeof size, "%dx%d", f.width, f.height);
        std::printf("%-10s %5d | %8.2f %8.2f %8.2f | %8.2f %8.2f %8.2f | %6.2f\n", size, f.frame,
                    f.show.min, f.show.median, f.show.max, f.flat.min, f.flat.median, f.flat.max,
                    shadingRatio(f));
    }
    std::printf("(ratio: the show's median over the flat-colour program's median)\n\n");

    if (!r.blobAgainst.empty()) {
        std::printf("Blob frames against %s, ms (%d alternating draws each)\n",
                    r.blobAgainst.c_str(), r.repetitions);
        std::printf("%-10s %5s | %8s %8s | %8s %8s | %6s\n", "size", "frame", "emb min", "emb med",
                    "file min", "file med", "ratio");
        for (const BlobComparison& c : r.blobComparisons) {
            char size[24];
            std::snprintf(size, sizeof size, "%dx%d", c.width, c.height);
            std::printf("%-10s %5d | %8.2f %8.2f | %8.2f %8.2f | %6.3f\n", size, c.frame,
                        c.embedded.min, c.embedded.median, c.other.min, c.other.median,
                        otherOverEmbedded(c));
        }
        std::printf("(ratio: the file's blob median over the embedded blob's median)\n\n");
    }

    if (r.blobShading) {
        const BlobShadingRun& b = r.shading;
        std::printf("Blob shading against a reference of %u quads, %dx%d on llvmpipe, boss "
                    "normals as unit vectors\n",
                    b.referenceQuads, b.width, b.height);
        int width = 4;  // the mesh column fits the longest name
        for (const ShadingFigures& f : b.figures) width = std::max(width, int(f.mesh.size()));
        std::printf("%-*s %5s | %7s %5s %8s %10s\n", width, "mesh", "frame", "mean", "p99",
                    "over 8", "interior");
        for (const ShadingFigures& f : b.figures)
            std::printf("%-*s %5d | %7.3f %5.0f %7.3f%% %9.3f%%\n", width, f.mesh.c_str(), f.frame,
                        f.mean, f.p99, 100 * f.over8, 100 * f.over8Interior);
        std::printf("(levels of 255, the largest channel's difference; shares of the pixels the "
                    "blob covers in either picture, and of those at least %d pixels inside its "
                    "outline in both; the reference at a quarter and about half of its quads "
                    "checks the measure: %s)\n\n",
                    kShadingOutlineMargin, b.checkHolds ? "their error falls to 0" : "FAILED");
    }

    std::printf("Start-up, ms\n%-10s %8s %8s %8s %8s\n", "size", "context", "shaders", "meshes",
                "frame 1");
    for (const StartupTimes& s : r.startup) {
        char size[24];
        std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
        std::printf("%-10s %8.1f %8.1f %8.1f %8.1f\n", size, s.contextMs, s.shaderMs,
                    s.meshUploadMs, s.firstFrameMs);
    }

    std::printf("\nCapture throughput, PNG frames %d..%d (fps once started; wall time "
                "with start-up)\n%-10s %5s %8s %8s\n",
                r.captureFirst, r.captureLast, "size", "jobs", "fps", "wall s");
    for (const CaptureThroughput& c : r.capture) {
        char size[24];
        std::snprintf(size, sizeof size, "%dx%d", c.width, c.height);
        std::printf("%-10s %5d %8.2f %8.1f\n", size, c.jobs, c.fps, c.wallSeconds);
    }

    std::printf("\nVertex cache, ACMR with a FIFO cache (floor %.1f)\n", kAcmrFloor);
    std::printf("%-8s %9s %9s %8s %8s\n", "mesh", "vertices", "triangles", "cache16", "cache32");
    for (const CacheFigures& c : r.caches)
        std::printf("%-8s %9u %9u %8.3f %8.3f\n", c.mesh.c_str(), c.vertices, c.triangles, c.acmr16,
                    c.acmr32);

    std::printf("\nFrame routine CPU time with a null GL, us per frame\n");
    if (!r.cpuMeasured) {
        std::printf("(not measured: qorv-bench-frame-cpu did not run)\n");
        return;
    }
    for (const CpuFigure& c : r.cpuFrames)
        std::printf("frame %5d %10.2f\n", c.frame, c.microseconds);
    std::printf("timeline mean %6.2f\n", r.cpuTimelineMicroseconds);
}

void printJson(const BenchReport& r) {
    std::printf("{\n  \"renderer\": ");
    jsonString(r.renderer);
    std::printf(",\n  \"gl_version\": ");
    jsonString(r.glVersion);
    std::printf(",\n  \"device\": ");
    jsonString(r.device);
    std::printf(",\n  \"quick\": %s,\n  \"repetitions\": %d,\n", r.quick ? "true" : "false",
                r.repetitions);

    std::printf("  \"frames\": [");
    for (size_t i = 0; i < r.frames.size(); ++i) {
        const FrameTiming& f = r.frames[i];
        std::printf("%s\n    {\"width\": %d, \"height\": %d, \"frame\": %d, ", i ? "," : "",
                    f.width, f.height, f.frame);
        jsonStats("show_ms", f.show);
        std::printf(", ");
        jsonStats("flat_ms", f.flat);
        std::printf(", \"show_over_flat\": %.3f}", shadingRatio(f));
    }
    std::printf("\n  ],\n");

    std::printf("  \"startup\": [");
    for (size_t i = 0; i < r.startup.size(); ++i) {
        const StartupTimes& s = r.startup[i];
        std::printf("%s\n    {\"width\": %d, \"height\": %d, \"context_ms\": %.3f, "
                    "\"shader_compilation_ms\": %.3f, \"mesh_upload_ms\": %.3f, "
                    "\"first_frame_ms\": %.3f}",
                    i ? "," : "", s.width, s.height, s.contextMs, s.shaderMs, s.meshUploadMs,
                    s.firstFrameMs);
    }
    std::printf("\n  ],\n");

    std::printf("  \"capture\": [");
    for (size_t i = 0; i < r.capture.size(); ++i) {
        const CaptureThroughput& c = r.capture[i];
        std::printf("%s\n    {\"width\": %d, \"height\": %d, \"first_frame\": %d, "
                    "\"frames\": %d, \"jobs\": %d, \"fps\": %.3f, \"wall_s\": %.3f}",
                    i ? "," : "", c.width, c.height, r.captureFirst, c.frames, c.jobs, c.fps,
                    c.wallSeconds);
    }
    std::printf("\n  ],\n");

    // null unless --blob-against was given.
    std::printf("  \"blob_against\": ");
    if (r.blobAgainst.empty()) {
        std::printf("null,\n");
    } else {
        std::printf("{\"file\": ");
        jsonString(r.blobAgainst);
        std::printf(", \"frames\": [");
        for (size_t i = 0; i < r.blobComparisons.size(); ++i) {
            const BlobComparison& c = r.blobComparisons[i];
            std::printf("%s\n    {\"width\": %d, \"height\": %d, \"frame\": %d, ", i ? "," : "",
                        c.width, c.height, c.frame);
            jsonStats("embedded_ms", c.embedded);
            std::printf(", ");
            jsonStats("other_ms", c.other);
            std::printf(", \"other_over_embedded\": %.4f}", otherOverEmbedded(c));
        }
        std::printf("\n  ]},\n");
    }

    // null unless --blob-shading was given.
    std::printf("  \"blob_shading\": ");
    if (!r.blobShading) {
        std::printf("null,\n");
    } else {
        std::printf("[");
        for (size_t i = 0; i < r.shading.figures.size(); ++i) {
            const ShadingFigures& f = r.shading.figures[i];
            std::printf("%s\n    {\"mesh\": ", i ? "," : "");
            jsonString(f.mesh);
            std::printf(", \"frame\": %d, \"mean\": %.4f, \"p99\": %.0f, \"over8\": %.6f, "
                        "\"over8_interior\": %.6f}",
                        f.frame, f.mean, f.p99, f.over8, f.over8Interior);
        }
        std::printf("\n  ],\n  \"blob_shading_reference\": {\"quads\": %u, \"width\": %d, "
                    "\"height\": %d, \"check\": %s},\n",
                    r.shading.referenceQuads, r.shading.width, r.shading.height,
                    r.shading.checkHolds ? "true" : "false");
    }

    std::printf("  \"vertex_cache\": {\"floor\": %.1f, \"meshes\": [", kAcmrFloor);
    for (size_t i = 0; i < r.caches.size(); ++i) {
        const CacheFigures& c = r.caches[i];
        std::printf("%s\n    {\"mesh\": ", i ? "," : "");
        jsonString(c.mesh);
        std::printf(", \"vertices\": %u, \"triangles\": %u, \"acmr_16\": %.4f, \"acmr_32\": %.4f}",
                    c.vertices, c.triangles, c.acmr16, c.acmr32);
    }
    std::printf("\n  ]},\n");

    // null when the CPU build could not be run, so readers see it is missing.
    std::printf("  \"frame_routine_cpu_us\": ");
    if (!r.cpuMeasured) {
        std::printf("null\n}\n");
        return;
    }
    std::printf("{\"gl\": \"null\", \"timeline_mean\": %.4f, \"frames\": [",
                r.cpuTimelineMicroseconds);
    for (size_t i = 0; i < r.cpuFrames.size(); ++i)
        std::printf("%s{\"frame\": %d, \"median\": %.4f}", i ? ", " : "", r.cpuFrames[i].frame,
                    r.cpuFrames[i].microseconds);
    std::printf("]}\n}\n");
}
