// A vertex-cache order for quad surfaces that are grids almost everywhere:
// bands a few quads wide, walked row by row, so that each row reuses the
// corner points the row before it transformed.
#pragma once

#include <cstdint>
#include <vector>

#include "quad_surface.h"

// Every quad number once, in band order. Rows run across each quad's edge 1
// (corners 1 to 2) and follow each other across edge 2, carried from quad to
// quad over shared edges; a band ends where it meets itself or a quad it
// cannot cross to, and the next begins at the lowest quad not yet taken.
void orderQuadsInBands(std::vector<uint32_t>* order, const QuadSurface& surface, int bandWidth);
