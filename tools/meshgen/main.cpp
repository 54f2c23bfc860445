// qorv-meshgen [--set NAME=VALUE]... OUTPUT_DIR: generates the ring, blob
// and backdrop meshes and writes ring.mesh, blob.mesh, backdrop.mesh and
// mesh_counts.h there. Prints the counts, the vertex cache figures and the
// time taken. --set changes one of the blob's settings for this run (the
// build never does); qorv-meshgen --settings lists them.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backdrop.h"
#include "blob_settings.h"
#include "gpu_order.h"
#include "mesh_file_writer.h"
#include "quad_surface.h"
#include "triangle_mesh.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printCacheFigures(const char* name, const char* stage, const TriangleMesh& mesh) {
    std::printf("  %-8s %-9s ACMR %.3f (cache 16)  %.3f (cache 32)  overfetch %.3f\n", name, stage,
                cacheMissRatio(mesh, 16), cacheMissRatio(mesh, 32), fetchOverfetch(mesh));
}

void buildClosedMesh(TriangleMesh* out, const char* name, void (*build)(QuadSurface*)) {
    QuadSurface surface;
    build(&surface);
    TriangleMesh grid;
    triangulateQuadSurface(&grid, surface);
    printCacheFigures(name, "grid", grid);
    buildGpuMesh(out, surface);
    printCacheFigures(name, "ordered", *out);
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: qorv-meshgen [--set NAME=VALUE]... OUTPUT_DIR | --settings\n";
    if (argc == 2 && std::string(argv[1]) == "--settings") {
        printBlobSettings();
        return 0;
    }
    int arg = 1;
    for (; arg + 1 < argc && std::string(argv[arg]) == "--set"; arg += 2) {
        const std::string setting = argv[arg + 1];
        const size_t equals = setting.find('=');
        char* end = nullptr;
        double value =
            equals == std::string::npos ? 0 : std::strtod(setting.c_str() + equals + 1, &end);
        if (equals == std::string::npos || end == setting.c_str() + equals + 1 || *end != '\0' ||
            !setBlobSetting(setting.substr(0, equals).c_str(), value)) {
            std::fprintf(stderr, "qorv-meshgen: no such setting or value: %s\n", setting.c_str());
            return 2;
        }
    }
    if (arg != argc - 1 || argv[arg][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string dir = argv[arg];
    auto start = std::chrono::steady_clock::now();

    TriangleMesh ring, blob, backdrop;
    buildClosedMesh(&ring, "ring", buildRingSurface);
    buildClosedMesh(&blob, "blob", buildBlobSurface);
    if (!buildBackdrop(&backdrop)) {
        std::fprintf(stderr, "qorv-meshgen: the backdrop search missed an exact requirement\n");
        return 1;
    }

    const NamedMesh meshes[] = {{"ring", &ring}, {"blob", &blob}, {"backdrop", &backdrop}};
    for (const NamedMesh& m : meshes) {
        std::string path = dir + "/" + m.name + ".mesh";
        if (!writeMeshFile(path.c_str(), *m.mesh)) {
            std::fprintf(stderr, "qorv-meshgen: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("  %-8s %u vertices, %u indices (%zu stored)\n", m.name,
                    meshVertexCount(*m.mesh), m.mesh->drawnIndexCount, m.mesh->indices.size());
    }
    std::string header = dir + "/mesh_counts.h";
    if (!writeMeshCounts(header.c_str(), meshes, 3)) {
        std::fprintf(stderr, "qorv-meshgen: cannot write %s\n", header.c_str());
        return 1;
    }
    std::printf("qorv-meshgen: meshes written in %.2f s\n", secondsSince(start));
    return 0;
}
