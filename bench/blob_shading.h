// The blob's shading error: frames of the show drawn with a blob mesh and
// with a dense reference of the same surface, compared pixel by pixel over
// the blob's coverage. Boss normals are unit vectors in every mesh here, so
// the boss spot, the same by design, does not count.
#pragma once

#include <string>
#include <vector>

#include "shading_compare.h"

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
