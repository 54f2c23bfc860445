// The blob's shading error in one picture: its pixels against a reference
// picture's, over the blob's coverage in either.
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
