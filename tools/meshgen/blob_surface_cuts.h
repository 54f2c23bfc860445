// Where the blob's face grid is cut finer: pairs of rows of grid quads, and
// pairs of columns as their mirror images across the face's diagonal, that
// an extra line runs through, ending in forks.
#pragma once

#include "quad_surface.h"

#include <vector>

// The cuts of the row pairs: need[p * n + a] says that a line runs through
// grid quads (a, 2p) and (a, 2p + 1); fork[a * n + b] marks the grid quads
// that the pairs' forks take. The column pairs' cuts are the rows' images
// across the face's diagonal: quad (a, b) of a column pair is quad (b, a) of
// a row pair.
struct RowCuts {
    int n = 0;
    std::vector<char> need;
    std::vector<char> cut, fork;  // per grid quad (a, b), index a * n + b
};

// Decides the cuts of an n x n grid (n a multiple of 4) from its points and
// their face coordinates, index i * (n + 1) + j, and its quads' centre
// points, index i * n + j. The decisions have the face's eight symmetries.
void decideRowCuts(RowCuts* rc, int n, const std::vector<Point3>& gridPoint,
                   const std::vector<double>& gridU, const std::vector<double>& gridV,
                   const std::vector<Point3>& gridCentre);
