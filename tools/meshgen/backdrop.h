// The flat backdrop: a jittered lattice of 281 points in 17 rows and a list
// of 131 tiles whose corner list, read three entries at a time, gives the
// triangles; only the first 393 of its 524 entries are drawn.
#pragma once

#include "triangle_mesh.h"

void buildBackdrop(TriangleMesh* out);
