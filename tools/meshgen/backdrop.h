// The flat backdrop: a jittered lattice of 281 points in 17 rows and a list
// of 131 tiles whose corner list, read three entries at a time, gives the
// triangles; only the first 393 of its 524 entries are drawn.
#pragma once

#include "triangle_mesh.h"

// False when the layout search missed one of the exact requirements (tile
// and row structure, facing, offsets, used vertices, cells covered) with
// every seed it tries; the mesh is then not to be used. Prints the layout's
// measurements.
bool buildBackdrop(TriangleMesh* out);
