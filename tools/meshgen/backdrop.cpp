// The backdrop mesh from its searched layout: the points in the plane y = 0,
// all normals (0, 1000000, 0), the 524-entry corner list with the first 393
// entries drawn.
#include "backdrop.h"

#include <cstdio>

#include "backdrop_layout.h"

bool buildBackdrop(TriangleMesh* out) {
    // The annealing ends in a local minimum, which with some seeds misses an
    // exact requirement by one tile (the first two of these did). The next
    // seed in this fixed list is tried then, so the result is still the same
    // on every build; the first one meets them all.
    const uint64_t seeds[] = {0x71c0ffee2028ull, 0x71c0ffee2029ull, 0x71c0ffee2026ull,
                              0x71c0ffee2027ull};
    BackdropLayout layout;
    BackdropStats s;
    bool exact = false;
    for (uint64_t seed : seeds) {
        searchBackdropLayout(&layout, seed);
        measureBackdrop(&s, layout);
        exact = backdropExact(layout, s);
        if (exact) break;
    }
    out->vertices.clear();
    for (int v = 0; v < backdropVertexCount; ++v) {
        float record[6] = {float(layout.latticeX[v] + layout.dx[v]), 0.0f,
                           float(layout.latticeZ[v] + layout.dz[v])};
        storeNormal(record + 3, 0.0, 1.0, 0.0);
        out->vertices.insert(out->vertices.end(), record, record + 6);
    }
    backdropCornerList(&out->indices, layout);
    out->drawnIndexCount = backdropDrawnIndexCount;

    std::printf("  backdrop tiles: area mean %.3f (%.4f to %.3f), %d cells; points %.3f from "
                "the nearest lattice point (at most %.3f)\n",
                s.meanTileArea, s.minTileArea, s.maxTileArea, s.distinctCells,
                s.meanLatticeDistance, s.maxLatticeDistance);
    std::printf(
        "  backdrop triangles: %d down, slivers' longest edges %.2f (at most %.2f), area %.2f, "
        "%d vertices used, largest index %d\n",
        s.downTriangles, s.meanSliverEdge, s.maxSliverEdge, s.totalArea, s.usedVertices,
        s.largestIndex);
    return exact;
}
