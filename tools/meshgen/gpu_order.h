// Reorders a mesh's triangles and vertices for the GPU's vertex cache and
// fetch; the triangle set and each triangle's winding stay the same.
#pragma once

#include "triangle_mesh.h"

// Triangles in cache order, then vertices in first-use order.
void orderForGpu(TriangleMesh* mesh);

// Average cache miss ratio (vertices transformed per triangle) of the drawn
// triangles with a FIFO cache of cacheSize entries.
double cacheMissRatio(const TriangleMesh& mesh, unsigned cacheSize);

// Vertices fetched per vertex, with a 64-byte fetch cache line.
double fetchOverfetch(const TriangleMesh& mesh);
