// The blob's shading error: frames of the show drawn with a blob mesh and
// with a dense reference of the same surface, compared pixel by pixel over
// the blob's coverage. Boss normals are unit vectors in every mesh here, so
// the boss spot, the same by design, does not count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One mesh in one frame against the reference, per 8-bit channel, the
// largest difference of the three: over the pixels that the blob covers in
// either picture, the mean, the 99th percentile and the share off by more
// than 8 levels; and that share over the interior only, the pixels at least
// 3 pixels from the blob's outline in both pictures.
struct ShadingFigures {
    std::string mesh;
    int frame;
    double mean, p99, over8, over8Interior;
};

// How far a pixel must lie from the outline to count as interior.
constexpr int kShadingOutlineMargin = 3;

// Compares a picture (RGBA, and the blob's coverage as 0 or 1 per pixel)
// with the reference's; frame and mesh are left to the caller.
void compareShading(ShadingFigures* out, int width, int height, const std::vector<uint8_t>& rgba,
                    const std::vector<uint8_t>& mask, const std::vector<uint8_t>& referenceRgba,
                    const std::vector<uint8_t>& referenceMask);

struct BlobShadingRun {
    int width, height;
    unsigned referenceQuads;  // quads of the reference the others are compared with
    std::vector<ShadingFigures> figures;
    bool checkHolds;  // quarter > half > reference = 0 in the mean, every frame
};

// Starts the show on a fresh llvmpipe context and measures the embedded
// blob, each mesh file, and the reference at a quarter and at about half
// of its quads and at its own, in frames 4000, 5000, 6300 and 7800. Quick:
// 480x270 instead of 1920x1080. With a pictures folder, every frame drawn
// goes there as a PNG, named by frame and mesh number (0 the embedded blob,
// then the files, then the references). False, with *error, when a file is
// not a mesh, the context cannot be made or a picture cannot be written.
bool measureBlobShading(BlobShadingRun* out, std::string* error,
                        const std::vector<std::string>& files, bool quick,
                        const std::string& picturesDir);
