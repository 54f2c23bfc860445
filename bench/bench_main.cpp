// qorv-bench: what the show costs on this machine. Frame times of chosen
// frames with the show's shading and with a flat colour, the start-up in its
// stages, the vertex cache behaviour of the big meshes, and the CPU cost of
// the frame routine itself, and the throughput of qorv-capture with one job
// and with one per core; on demand, the blob drawn with other meshes, timed
// and against a dense reference of its surface. A table by default, JSON
// with --json.
#include <meshoptimizer.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/mesh_blob.h"
#include "bench_report.h"
#include "blob_against.h"
#include "blob_shading.h"
#include "capture_throughput.h"
#include "gl/egl_context.h"
#include "gl_timing.h"

namespace {

const int kFrames[] = {1, 1000, 3000, 3499, 5000, 8000};
// Frames where the blob is most of the work, for --blob-against.
const int kBlobFrames[] = {3000, 5000};

struct Size {
    int width, height;
};

const char* const kUsage =
    "usage: qorv-bench [--json] [--quick] [--device auto|software] [--blob-against FILE]\n"
    "                  [--blob-shading [FILE...]]\n"
    "  --json       print the figures as JSON instead of a table\n"
    "  --quick      fewer runs at smaller sizes (well under a minute)\n"
    "  --device D   auto: a GPU when there is one (default); software: llvmpipe\n"
    "  --blob-against FILE\n"
    "               also time the blob frames with the blob mesh in FILE (a\n"
    "               qorv-meshgen blob.mesh), draw by draw against the embedded one\n"
    "  --blob-shading [FILE...]\n"
    "               also measure the shading error of the embedded blob and of the\n"
    "               blob in each FILE against a dense reference of the surface, in\n"
    "               frames 4000, 5000, 6300 and 7800 at 1920x1080 on llvmpipe\n"
    "  --blob-shading-pictures DIR\n"
    "               write every frame that measure draws into DIR as a PNG\n";

void measureCaches(BenchReport* report) {
    const struct {
        const char* name;
        const MeshBlob* mesh;
    } meshes[] = {{"ring", &ringMesh}, {"blob", &blobMesh}};
    for (const auto& m : meshes) {
        CacheFigures c;
        c.mesh = m.name;
        c.vertices = m.mesh->vertexCount;
        c.triangles = m.mesh->indexCount / 3;
        // Plain FIFO caches: no warp or primitive-group limits.
        c.acmr16 = meshopt_analyzeVertexCache(m.mesh->indices, m.mesh->indexCount,
                                              m.mesh->vertexCount, 16, 0, 0)
                       .acmr;
        c.acmr32 = meshopt_analyzeVertexCache(m.mesh->indices, m.mesh->indexCount,
                                              m.mesh->vertexCount, 32, 0, 0)
                       .acmr;
        report->caches.push_back(c);
    }
}

// The null-GL build lives beside this executable.
std::string frameCpuTool() {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "qorv-bench-frame-cpu";
    self[length] = '\0';
    std::string path = self;
    return path.substr(0, path.find_last_of('/') + 1) + "qorv-bench-frame-cpu";
}

void measureFrameCpu(BenchReport* report) {
    std::string command = "'" + frameCpuTool() + "'" + (report->quick ? " --quick" : "");
    for (int n : kFrames) command += " " + std::to_string(n);
    report->cpuMeasured = false;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return;
    char line[256];
    bool timeline = false;
    while (std::fgets(line, sizeof line, pipe)) {
        CpuFigure figure;
        if (std::sscanf(line, "frame %d %lf", &figure.frame, &figure.microseconds) == 2)
            report->cpuFrames.push_back(figure);
        else if (std::sscanf(line, "timeline %lf", &report->cpuTimelineMicroseconds) == 1)
            timeline = true;
    }
    report->cpuMeasured =
        pclose(pipe) == 0 && timeline && report->cpuFrames.size() == std::size(kFrames);
}

// Times every chosen frame at the current context's size; one untimed draw
// first so that the driver's lazily built shader variants are ready.
void measureFrames(std::vector<TimeStats>* stats, int repetitions) {
    std::vector<double> samples;
    for (int n : kFrames) {
        timeFrame(&samples, n, 1);
        timeFrame(&samples, n, repetitions);
        TimeStats s;
        summarize(&s, &samples);
        stats->push_back(s);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    BenchReport report = {};
    const char* device = "auto";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc &&
            (std::strcmp(argv[i + 1], "auto") == 0 || std::strcmp(argv[i + 1], "software") == 0)) {
            device = argv[++i];
        } else if (std::strcmp(argv[i], "--blob-against") == 0 && i + 1 < argc) {
            report.blobAgainst = argv[++i];
        } else if (std::strcmp(argv[i], "--blob-shading") == 0) {
            report.blobShading = true;
            while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0)
                report.blobShadingFiles.push_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--blob-shading-pictures") == 0 && i + 1 < argc) {
            report.blobShadingPictures = argv[++i];
        } else if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--quick") == 0) {
            report.quick = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "qorv-bench: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    BlobFile otherBlob;
    std::string error;
    // Every file is read once before any drawing, so that a bad one is
    // refused at once.
    for (const std::string& file : report.blobShadingFiles) {
        BlobFile check;
        if (!readBlobFile(&check, &error, file.c_str())) {
            std::fprintf(stderr, "qorv-bench: %s\n", error.c_str());
            return 1;
        }
    }
    if (!report.blobAgainst.empty() &&
        !readBlobFile(&otherBlob, &error, report.blobAgainst.c_str())) {
        std::fprintf(stderr, "qorv-bench: %s\n", error.c_str());
        return 1;
    }
    // NOTE: Mesa keeps compiled shaders in a cache on disk and in memory, so
    // after the first run "shader compilation" would time a cache lookup and
    // the second size would reuse the first one's work. Off, unless asked for.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);

    const std::vector<Size> sizes = report.quick ? std::vector<Size>{{320, 180}, {480, 270}}
                                                 : std::vector<Size>{{1280, 720}, {1920, 1080}};
    report.repetitions = report.quick ? 2 : 7;
    headlessChooseDevice(std::strcmp(device, "software") == 0 ? HeadlessDevice::software
                                                              : HeadlessDevice::automatic);

    for (const Size& size : sizes) {
        std::fprintf(stderr, "qorv-bench: %dx%d\n", size.width, size.height);
        StartupTimes startup;
        if (!timeStartup(&startup, size.width, size.height)) {
            std::fprintf(stderr, "qorv-bench: no headless OpenGL 4 context\n");
            return 1;
        }
        report.startup.push_back(startup);
        report.renderer = glRendererName();
        report.device = headlessSourceName();
        report.glVersion = glVersionName();

        std::vector<TimeStats> show, flat;
        measureFrames(&show, report.repetitions);
        if (!report.blobAgainst.empty()) {
            const uint32_t otherArray = uploadOtherBlob(otherBlob.mesh);
            for (int n : kBlobFrames) {
                std::vector<double> embedded, other;
                timeBlobAgainst(&embedded, &other, otherArray, n, report.repetitions);
                BlobComparison c = {size.width, size.height, n, {}, {}};
                summarize(&c.embedded, &embedded);
                summarize(&c.other, &other);
                report.blobComparisons.push_back(c);
            }
        }
        if (!useFlatProgramEverywhere()) {
            std::fprintf(stderr, "qorv-bench: the flat-colour program did not build\n");
            return 1;
        }
        measureFrames(&flat, report.repetitions);
        for (size_t i = 0; i < std::size(kFrames); ++i)
            report.frames.push_back({size.width, size.height, kFrames[i], show[i], flat[i]});
    }
    // Frames around 1000, where all eight rings are drawn, as in a long capture.
    report.captureFirst = 1000;
    report.captureLast = report.quick ? 1005 : 1023;
    for (const Size& size : sizes) {
        std::fprintf(stderr, "qorv-bench: capture throughput at %dx%d\n", size.width, size.height);
        if (!measureCaptureThroughput(&report.capture, &error, size.width, size.height,
                                      report.captureFirst, report.captureLast, device)) {
            std::fprintf(stderr, "qorv-bench: %s\n", error.c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "qorv-bench: vertex cache and CPU time\n");
    measureCaches(&report);
    measureFrameCpu(&report);
    // Last: it makes a context of its own, on llvmpipe.
    if (report.blobShading) {
        std::fprintf(stderr, "qorv-bench: blob shading\n");
        if (!measureBlobShading(&report.shading, &error, report.blobShadingFiles, report.quick,
                                report.blobShadingPictures)) {
            std::fprintf(stderr, "qorv-bench: %s\n", error.c_str());
            return 1;
        }
    }

    if (json)
        printJson(report);
    else
        printTable(report);
    if (report.blobShading && !report.shading.checkHolds) {
        std::fprintf(stderr, "qorv-bench: the shading measure failed its check: the error of the "
                             "reference at a quarter of its quads, at about half and at all of "
                             "them does not fall to 0 in every frame\n");
        return 1;
    }
    return 0;
}
