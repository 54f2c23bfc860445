// The backdrop mesh from its searched layout: the points in the plane y = 0,
// all normals (0, 1000000, 0), the 524-entry corner list with the first 393
// entries drawn.
#include "backdrop.h"

#include <cstdio>

#include "backdrop_layout.h"

bool buildBackdrop(TriangleMesh* out) {
    BackdropLayout layout;
    searchBackdropLayout(&layout);
    out->vertices.clear();
    for (int v = 0; v < backdropVertexCount; ++v) {
        float record[6] = {float(layout.latticeX[v] + layout.dx[v]), 0.0f, float(layout.latticeZ[v] + layout.dz[v])};
        storeNormal(record + 3, 0.0, 1.0, 0.0);
        out->vertices.insert(out->vertices.end(), record, record + 6);
    }
    backdropCornerList(&out->indices, layout);
    out->drawnIndexCount = backdropDrawnIndexCount;

    BackdropStats s;
    measureBackdrop(&s, layout);
    std::printf("  backdrop tiles: area mean %.3f (%.4f to %.3f), %d cells; points %.3f from the lattice "
                "(at most %.3f)\n",
                s.meanTileArea, s.minTileArea, s.maxTileArea, s.distinctCells, s.meanLatticeDistance,
                s.maxLatticeDistance);
    std::printf("  backdrop triangles: %d down, slivers' longest edges %.2f (at most %.2f), area %.2f, "
                "%d vertices used, largest index %d\n",
                s.downTriangles, s.meanSliverEdge, s.maxSliverEdge, s.totalArea, s.usedVertices, s.largestIndex);
    return layout.tiles.size() == size_t(backdropTileCount) && s.badTiles == 0 && s.wrongFacing == 0 &&
           s.downTriangles == 7 && s.offsetCount[0] == 92 && s.offsetCount[1] == 38 && s.offsetCount[2] == 1 &&
           s.rowsOutOfOrder == 0 && s.tilesOutsideColumn == 0 && s.usedVertices == 204 && s.largestIndex == 276;
}
