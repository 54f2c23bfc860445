// The shading measure: a mask pass for coverage, then the differences.
#include "blob_shading.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/headless_show.h"
#include "app/png_write.h"
#include "blob_against.h"
#include "blob_reference.h"
#include "gl/egl_context.h"
#include "gl/gl_types.h"
#include "render/mesh_upload.h"
#include "render/shader_programs.h"
#include "render/shader_sources.h"
#include "render/startup_matrices.h"
#include "render/uniform_upload.h"
#include "show/frame_clock.h"
#include "show/layers.h"

namespace {

// The pulse colour lights the blob at 0.87, 0.37, 0.58 and 0.76 of its peak
// here; in the 3000s it is near zero, and at 6400 green clips.
const int kShadingFrames[] = {4000, 5000, 6300, 7800};
// The reference splits each quad of the generator's domain this many times
// each way: 16 times the quads. At 3 (about half of them) and 2 (a quarter)
// it checks the measure itself.
constexpr int kReferenceSplit = 4;

// Coverage: the blob alone, depth-tested, in white on black.
const char* const kMaskFragmentShader = R"(#version 400
out vec4 out_color;
void main() {
    out_color = vec4(1.0);
}
)";

struct Picture {
    std::vector<uint8_t> rgba, mask;
};

// Frame n as the show draws it with the blob of `vertexArray`, and the
// blob's coverage from a pass of the blob alone.
void drawBlobFrame(Picture* out, uint32_t vertexArray, uint32_t maskProgram, int n) {
    const uint32_t own = blobVertexArray, shading = viewAngleProgram;
    blobVertexArray = vertexArray;
    frameCounter = n - 1.0;
    renderFrame();
    headlessReadPixels(&out->rgba);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewAngleProgram = maskProgram;
    blobLayer(double(n));
    viewAngleProgram = shading;
    blobVertexArray = own;
    std::vector<uint8_t> coverage;
    headlessReadPixels(&coverage);
    out->mask.resize(coverage.size() / 4);
    for (size_t i = 0; i < out->mask.size(); ++i) out->mask[i] = coverage[4 * i] != 0;
}

MeshBlob blobOf(const TriangleMesh& mesh) {
    return {meshVertexCount(mesh), mesh.drawnIndexCount, mesh.vertices.data(), mesh.indices.data()};
}

}  // namespace

bool measureBlobShading(BlobShadingRun* out, std::string* error,
                        const std::vector<std::string>& files, bool quick,
                        const std::string& picturesDir) {
    out->width = quick ? 480 : 1920;
    out->height = quick ? 270 : 1080;
    out->figures.clear();
    // Meshes to measure: a name, the vertex records with unit normals, the indices.
    struct Measured {
        std::string name;
        std::vector<float> vertices;
        BlobFile file;  // holds the indices of a file's mesh
        MeshBlob mesh;
        uint32_t vertexArray;
    };
    std::vector<Measured> meshes(files.size() + 1);
    meshes[0].name = "embedded";
    meshes[0].mesh = blobMesh;
    for (size_t f = 0; f < files.size(); ++f) {
        meshes[f + 1].name = files[f];
        if (!readBlobFile(&meshes[f + 1].file, error, files[f].c_str())) return false;
        meshes[f + 1].mesh = meshes[f + 1].file.mesh;
    }

    headlessChooseDevice(HeadlessDevice::software);
    if (!headlessInit(out->width, out->height) || !headlessStartShow()) {
        *error = "no headless OpenGL 4 context on llvmpipe";
        return false;
    }
    uint32_t maskProgram = 0;
    const char* const maskSource = kMaskFragmentShader;
    if (!buildProgram(&maskProgram, &transformedNormalVertexShader, &maskSource)) {
        *error = "the blob's mask program did not build";
        return false;
    }
    uploadMatrix(maskProgram, "projection_matrix", &projectionMatrix);

    for (Measured& m : meshes) {
        m.vertices.assign(m.mesh.vertices, m.mesh.vertices + size_t(m.mesh.vertexCount) * 6);
        unitNormals(m.vertices.data(), m.mesh.vertexCount);
        m.mesh.vertices = m.vertices.data();
        m.vertexArray = uploadOtherBlob(m.mesh);
        m.vertices.clear();
        m.vertices.shrink_to_fit();
    }
    // The reference at a quarter, about half and all of its quads; the
    // reference is drawn a second time as a mesh of its own, which must
    // come out the same.
    std::fprintf(stderr, "qorv-bench: blob shading: the reference meshes\n");
    DomainQuads domain;
    meshBlobDomain(&domain);
    const struct {
        const char* name;
        int split;
    } references[] = {{"reference-quarter", kReferenceSplit / 2},
                      {"reference-half", kReferenceSplit - 1},
                      {"reference", kReferenceSplit}};
    std::vector<std::string> names;
    std::vector<uint32_t> arrays;
    for (const Measured& m : meshes) names.push_back(m.name), arrays.push_back(m.vertexArray);
    uint32_t referenceArray = 0;
    for (const auto& r : references) {
        TriangleMesh mesh;
        buildBlobReference(&mesh, domain, r.split);
        names.push_back(r.name);
        arrays.push_back(uploadOtherBlob(blobOf(mesh)));
        if (r.split == kReferenceSplit) {
            referenceArray = arrays.back();
            out->referenceQuads = unsigned(mesh.drawnIndexCount / 12);
        }
    }

    out->checkHolds = true;
    for (int n : kShadingFrames) {
        std::fprintf(stderr, "qorv-bench: blob shading: frame %d\n", n);
        Picture reference, picture;
        drawBlobFrame(&reference, referenceArray, maskProgram, n);
        double quarter = -1, half = -1;
        for (size_t i = 0; i < names.size(); ++i) {
            drawBlobFrame(&picture, arrays[i], maskProgram, n);
            const std::string path =
                picturesDir + "/frame" + std::to_string(n) + "-mesh" + std::to_string(i) + ".png";
            if (!picturesDir.empty() &&
                !writePng(path.c_str(), out->width, out->height, picture.rgba.data())) {
                *error = "cannot write " + path;
                return false;
            }
            ShadingFigures f;
            compareShading(&f, out->width, out->height, picture.rgba, picture.mask, reference.rgba,
                           reference.mask);
            f.mesh = names[i];
            f.frame = n;
            out->figures.push_back(f);
            if (names[i] == "reference-quarter") quarter = f.mean;
            if (names[i] == "reference-half") half = f.mean;
            if (names[i] == "reference")
                out->checkHolds = out->checkHolds && quarter > half && half > f.mean &&
                                  f.mean == 0 && f.p99 == 0 && f.over8 == 0;
        }
    }
    return true;
}
