// The blob's face grid: where the corner points of one cube face's quad grid
// sit in face coordinates, spread so that the quads stay even in size over
// the deep relief.
#pragma once

#include <vector>

struct BlobFaceGrid {
    int cells = 0;          // quads along each side; even, so a corner point sits on the axis
    std::vector<double> u;  // (cells + 1)^2 face coordinates, index i * (cells + 1) + j,
    std::vector<double> v;  // i along u = y / x, j along v = z / x, both from -1 to 1
};

// Builds the grid of the +X face with the given number of quads per side (a
// multiple of 4). The grid has the face's eight symmetries exactly.
void buildBlobFaceGrid(BlobFaceGrid* out, int cells);
