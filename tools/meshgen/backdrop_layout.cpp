// Backdrop rows, corner list and measurements.
#include "backdrop_layout.h"

#include <algorithm>
#include <cmath>

const int backdropRowLength[backdropRowCount] = {16, 17, 16, 17, 17, 17, 16, 17, 17,
                                                 16, 17, 17, 17, 17, 16, 17, 14};
const int backdropColumnTiles[backdropColumnCount] = {7,  10, 8, 11, 9, 7, 9, 7,
                                                      10, 9,  7, 7,  7, 5, 8, 10};

namespace {

// The lattice points the short rows leave out, by row (x; 99 = none).
const int missingX[backdropRowCount][3] = {
    {1, 99, 99},  {99, 99, 99}, {0, 99, 99},  {99, 99, 99}, {99, 99, 99}, {99, 99, 99},
    {-1, 99, 99}, {99, 99, 99}, {99, 99, 99}, {2, 99, 99},  {99, 99, 99}, {99, 99, 99},
    {99, 99, 99}, {99, 99, 99}, {0, 99, 99},  {99, 99, 99}, {-6, 3, 7}};

struct Xz {
    double x, z;
};

Xz pointOf(const BackdropLayout& l, uint32_t v) {
    return {l.latticeX[v] + l.dx[v], l.latticeZ[v] + l.dz[v]};
}

// Twice the signed area of triangle abc seen from +Y: positive when its
// corners run counter-clockwise seen from above.
double upArea2(Xz a, Xz b, Xz c) { return (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z); }

double distance(Xz a, Xz b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.z - b.z) * (a.z - b.z));
}

}  // namespace

void initBackdropLattice(BackdropLayout* out) {
    int v = 0;
    for (int r = 0; r < backdropRowCount; ++r) {
        out->rowStart[r] = v;
        for (int x = -8; x <= 8; ++x) {
            if (x == missingX[r][0] || x == missingX[r][1] || x == missingX[r][2]) continue;
            out->latticeX[v] = x;
            out->latticeZ[v] = r - 8;
            out->dx[v] = out->dz[v] = 0.0;
            ++v;
        }
    }
    out->tiles.clear();
}

void backdropCornerList(std::vector<uint32_t>* out, const BackdropLayout& layout) {
    out->clear();
    for (const BackdropTile& t : layout.tiles) {
        out->push_back(t.p);
        out->push_back(t.p + 1);
        out->push_back(t.q + 1);
        out->push_back(t.q);
    }
}

void measureBackdrop(BackdropStats* out, const BackdropLayout& l) {
    BackdropStats s = {};
    s.minTileArea = 1e9;
    s.minX = s.minZ = 1e9;
    s.maxX = s.maxZ = -1e9;

    double latticeSum = 0;
    for (int v = 0; v < backdropVertexCount; ++v) {
        // From the nearest lattice point, which need not be the one the
        // point was placed near.
        Xz p = pointOf(l, uint32_t(v));
        double d = distance(p, {std::round(p.x), std::round(p.z)});
        latticeSum += d;
        s.maxLatticeDistance = std::max(s.maxLatticeDistance, d);
        s.minX = std::min(s.minX, p.x);
        s.maxX = std::max(s.maxX, p.x);
        s.minZ = std::min(s.minZ, p.z);
        s.maxZ = std::max(s.maxZ, p.z);
    }
    s.meanLatticeDistance = latticeSum / backdropVertexCount;

    double previous = 0;
    for (int r = 0; r < backdropRowCount; ++r) {
        double sum = 0;
        for (int a = 0; a < backdropRowLength[r]; ++a)
            sum += pointOf(l, uint32_t(l.rowStart[r] + a)).z;
        double mean = sum / backdropRowLength[r];
        if (r == 0) s.firstRowZ = mean;
        if (r == backdropRowCount - 1) s.lastRowZ = mean;
        if (r > 0) {
            double step = mean - previous;
            if (step <= 0) ++s.rowsOutOfOrder;
            s.rowStepOutside += std::max(0.0, 0.5 - step) + std::max(0.0, step - 1.2);
        }
        previous = mean;
    }

    // Tiles, with the column each belongs to from the column counts.
    int cells[backdropTileCount];
    int cellCount = 0;
    size_t tile = 0;
    double areaSum = 0;
    for (int c = 0; c < backdropColumnCount; ++c) {
        for (int k = 0; k < backdropColumnTiles[c] && tile < l.tiles.size(); ++k, ++tile) {
            const BackdropTile& t = l.tiles[tile];
            Xz p0 = pointOf(l, t.p), p1 = pointOf(l, t.p + 1), q1 = pointOf(l, t.q + 1),
               q0 = pointOf(l, t.q);
            if (upArea2(p0, p1, q1) <= 0 || upArea2(p1, q1, q0) <= 0 || upArea2(q1, q0, p0) <= 0 ||
                upArea2(q0, p0, p1) <= 0)
                ++s.badTiles;
            double area = 0.5 * (upArea2(p0, p1, q1) + upArea2(p0, q1, q0));
            areaSum += area;
            s.minTileArea = std::min(s.minTileArea, area);
            s.maxTileArea = std::max(s.maxTileArea, area);
            double cx = (p0.x + p1.x + q1.x + q0.x) / 4, cz = (p0.z + p1.z + q1.z + q0.z) / 4;
            if (cx < c - 8 || cx > c - 7) ++s.tilesOutsideColumn;
            if (cellCount < backdropTileCount)
                cells[cellCount++] = c * 16 + int(std::floor(cz + 8));
            int offset = int(t.p) - int(t.q);
            ++s.offsetCount[offset == 17 ? 0 : offset == 16 ? 1 : offset == 15 ? 2 : 3];
        }
    }
    s.meanTileArea = l.tiles.empty() ? 0 : areaSum / double(l.tiles.size());
    std::sort(cells, cells + cellCount);
    s.distinctCells = int(std::unique(cells, cells + cellCount) - cells);

    // The drawn triangles, three corner-list entries each.
    // Only the drawn entries: those of the first tiles.
    uint32_t corners[backdropDrawnIndexCount + 3];
    size_t cornerCount = 0;
    for (size_t t = 0; t < l.tiles.size() && cornerCount < backdropDrawnIndexCount; ++t) {
        const uint32_t entries[4] = {l.tiles[t].p, l.tiles[t].p + 1, l.tiles[t].q + 1,
                                     l.tiles[t].q};
        for (uint32_t e : entries) corners[cornerCount++] = e;
    }
    bool used[backdropVertexCount] = {};
    double sliverSum = 0;
    int slivers = 0;
    for (int t = 0; t * 3 + 2 < backdropDrawnIndexCount && size_t(t * 3 + 2) < cornerCount; ++t) {
        uint32_t ia = corners[3 * t], ib = corners[3 * t + 1], ic = corners[3 * t + 2];
        for (uint32_t v : {ia, ib, ic}) {
            if (!used[v]) ++s.usedVertices;
            used[v] = true;
            s.largestIndex = std::max(s.largestIndex, int(v));
        }
        Xz a = pointOf(l, ia), b = pointOf(l, ib), c = pointOf(l, ic);
        double area2 = upArea2(a, b, c);
        s.totalArea += 0.5 * std::fabs(area2);
        bool joining = t % 4 == 1 || t % 4 == 2;
        if (area2 < 0) ++s.downTriangles;
        if (area2 == 0 || (area2 < 0 && !joining)) ++s.wrongFacing;
        if (joining) {
            double edge = std::max(distance(a, b), std::max(distance(b, c), distance(c, a)));
            sliverSum += edge;
            s.maxSliverEdge = std::max(s.maxSliverEdge, edge);
            ++slivers;
        }
    }
    s.meanSliverEdge = slivers ? sliverSum / slivers : 0;
    *out = s;
}

bool backdropExact(const BackdropLayout& l, const BackdropStats& s) {
    return l.tiles.size() == size_t(backdropTileCount) && s.badTiles == 0 && s.wrongFacing == 0 &&
           s.downTriangles == 7 && s.offsetCount[0] == 92 && s.offsetCount[1] == 38 &&
           s.offsetCount[2] == 1 && s.offsetCount[3] == 0 && s.rowsOutOfOrder == 0 &&
           s.tilesOutsideColumn == 0 && s.usedVertices == 204 && s.largestIndex == 276 &&
           s.distinctCells == 127;
}
