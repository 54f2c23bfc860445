// The backdrop's structure: rows of points near the unit lattice, the tiles
// between neighbouring rows in column order, the corner list they make, and
// the measurements a layout is judged by.
#pragma once

#include <cstdint>
#include <vector>

constexpr int backdropRowCount = 17;
constexpr int backdropVertexCount = 281;
constexpr int backdropColumnCount = 16;
constexpr int backdropTileCount = 131;
constexpr int backdropDrawnIndexCount = 393;

extern const int backdropRowLength[backdropRowCount];
extern const int backdropColumnTiles[backdropColumnCount];

struct BackdropTile {
    uint32_t p;  // corners p, p + 1 in one row
    uint32_t q;  // and q + 1, q in the row before
};

struct BackdropLayout {
    int rowStart[backdropRowCount];
    int latticeX[backdropVertexCount];  // the lattice point each point is near
    int latticeZ[backdropVertexCount];
    double dx[backdropVertexCount];  // and its offset from it
    double dz[backdropVertexCount];
    std::vector<BackdropTile> tiles;  // column by column, by increasing z within each
};

// Rows of lattice points, each row missing the lattice points its length
// leaves out, with no offsets and no tiles.
void initBackdropLattice(BackdropLayout* out);

// The 524 entries: each tile's corners p, p + 1, q + 1, q.
void backdropCornerList(std::vector<uint32_t>* out, const BackdropLayout& layout);

struct BackdropStats {
    int badTiles;            // not convex and facing +Y
    int tilesOutsideColumn;  // centre outside its column's cell
    int offsetCount[4];      // p - q = 17, 16, 15, anything else
    int downTriangles;       // drawn triangles facing -Y
    int wrongFacing;         // tile triangles facing -Y, or flat triangles
    int usedVertices, largestIndex;
    int rowsOutOfOrder;
    double rowStepOutside;  // how far row steps fall outside 0.5 to 1.2
    double meanTileArea, minTileArea, maxTileArea;
    double meanLatticeDistance, maxLatticeDistance;  // from each point's nearest lattice point
    double meanSliverEdge, maxSliverEdge;            // longest edges of joining triangles
    double totalArea;                                // of the drawn triangles
    double minX, maxX, minZ, maxZ;
    double firstRowZ, lastRowZ;  // mean z of the first and last rows
    int distinctCells;           // unit cells holding a tile's centre
};

void measureBackdrop(BackdropStats* out, const BackdropLayout& layout);

// The annealing search for the layout (backdrop_search.cpp): the same seed
// finds the same layout on every machine.
void searchBackdropLayout(BackdropLayout* out, uint64_t seed);

// True when a layout meets every exact requirement: 131 convex tiles facing
// +Y, each centred in its column's cells, the 92/38/1 row offsets, rows in
// order, 7 downward triangles, 204 vertices used up to index 276, and tiles
// on 127 distinct unit cells.
bool backdropExact(const BackdropLayout& layout, const BackdropStats& s);
