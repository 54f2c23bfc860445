// The generated backdrop against its measurements: rows, tiles, column
// order, the cells covered and the corner list read as triangles, exactly;
// the points' distances from the lattice closely; the statistics of tiles
// and slivers within 10 %.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "mesh_checks.h"

namespace {

const int rowLengths[] = {16, 17, 16, 17, 17, 17, 16, 17, 17, 16, 17, 17, 17, 17, 16, 17, 14};
const int columnTiles[] = {7, 10, 8, 11, 9, 7, 9, 7, 10, 9, 7, 7, 7, 5, 8, 10};

const MeshFile& backdrop() {
    static MeshFile mesh;
    static bool loaded = loadMeshFile(meshPath("backdrop.mesh"), &mesh);
    EXPECT_TRUE(loaded) << meshPath("backdrop.mesh");
    return mesh;
}

// Rows as stored: a row ends where x stops increasing.
std::vector<std::vector<uint32_t>> rowsOf(const MeshFile& m) {
    std::vector<std::vector<uint32_t>> rows(1);
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        if (!rows.back().empty() && meshPosition(m, v).x <= meshPosition(m, rows.back().back()).x)
            rows.emplace_back();
        rows.back().push_back(v);
    }
    return rows;
}

struct Tile {
    uint32_t p, q;
    double cx, cz, area;
};

std::vector<Tile> tilesOf(const MeshFile& m) {
    std::vector<Tile> tiles;
    for (size_t i = 0; i + 4 <= m.entries.size(); i += 4) {
        Tile t = {m.entries[i], m.entries[i + 3], 0, 0, 0};
        MeshVec c[4];
        for (int k = 0; k < 4; ++k) c[k] = meshPosition(m, m.entries[i + k]);
        for (int k = 0; k < 4; ++k) {
            t.cx += c[k].x / 4;
            t.cz += c[k].z / 4;
            t.area += 0.5 * meshCross(c[k], c[(k + 1) % 4]).y;  // facing +Y counts positive
        }
        tiles.push_back(t);
    }
    return tiles;
}

int rowOf(const std::vector<std::vector<uint32_t>>& rows, uint32_t v) {
    for (size_t r = 0; r < rows.size(); ++r)
        if (v >= rows[r].front() && v <= rows[r].back()) return int(r);
    return -1;
}

void expectWithin10Percent(double value, double target, const char* what) {
    EXPECT_NEAR(value, target, 0.1 * std::fabs(target)) << what;
}

TEST(BackdropMesh, CountsNormalsAndPlane) {
    const MeshFile& m = backdrop();
    EXPECT_EQ(m.vertexCount, 281u);
    EXPECT_EQ(m.indexCount, 393u);
    EXPECT_EQ(m.entries.size(), 524u);
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        const float* r = &m.vertices[size_t(v) * 6];
        EXPECT_EQ(r[1], 0.0f);
        EXPECT_EQ(r[3], 0.0f);
        EXPECT_EQ(r[4], 1000000.0f);
        EXPECT_EQ(r[5], 0.0f);
    }
}

TEST(BackdropMesh, RowsNearTheLattice) {
    const MeshFile& m = backdrop();
    auto rows = rowsOf(m);
    ASSERT_EQ(rows.size(), 17u);
    std::vector<double> meanZ;
    for (size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(int(rows[r].size()), rowLengths[r]) << "row " << r;
        double sum = 0;
        for (uint32_t v : rows[r]) sum += meshPosition(m, v).z;
        meanZ.push_back(sum / rows[r].size());
    }
    EXPECT_NEAR(meanZ.front(), -7.47, 0.1);
    EXPECT_NEAR(meanZ.back(), 7.46, 0.1);
    for (size_t r = 1; r < meanZ.size(); ++r) {
        EXPECT_GE(meanZ[r] - meanZ[r - 1], 0.5) << "row " << r;
        EXPECT_LE(meanZ[r] - meanZ[r - 1], 1.2) << "row " << r;
    }

    double sum = 0, most = 0;
    bool onLattice[2] = {false, false};
    double lo[2] = {1e9, 1e9}, hi[2] = {-1e9, -1e9};
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        MeshVec p = meshPosition(m, v);
        double d = std::hypot(p.x - std::round(p.x), p.z - std::round(p.z));
        sum += d;
        most = std::max(most, d);
        if (p.x == 1 && p.z == -1) onLattice[0] = true;
        if (p.x == 5 && p.z == 2) onLattice[1] = true;
        lo[0] = std::min(lo[0], p.x);
        hi[0] = std::max(hi[0], p.x);
        lo[1] = std::min(lo[1], p.z);
        hi[1] = std::max(hi[1], p.z);
    }
    // From each point's nearest lattice point.
    EXPECT_NEAR(sum / m.vertexCount, 0.28, 0.01) << "mean distance from the lattice";
    EXPECT_NEAR(most, 0.67, 0.02) << "largest distance from the lattice";
    EXPECT_TRUE(onLattice[0] && onLattice[1]);
    expectWithin10Percent(lo[0], -7.81836, "x from");
    expectWithin10Percent(hi[0], 7.72347, "x to");
    expectWithin10Percent(lo[1], -7.96289, "z from");
    expectWithin10Percent(hi[1], 7.69835, "z to");
}

TEST(BackdropMesh, TilesBetweenNeighbouringRowsInColumnOrder) {
    const MeshFile& m = backdrop();
    auto rows = rowsOf(m);
    auto tiles = tilesOf(m);
    ASSERT_EQ(tiles.size(), 131u);
    int offsets[3] = {0, 0, 0};
    for (size_t i = 0; i < tiles.size(); ++i) {
        const Tile& t = tiles[i];
        EXPECT_EQ(m.entries[4 * i + 1], t.p + 1);
        EXPECT_EQ(m.entries[4 * i + 2], t.q + 1);
        int r = rowOf(rows, t.p);
        EXPECT_EQ(rowOf(rows, t.p + 1), r) << "tile " << i;
        EXPECT_EQ(rowOf(rows, t.q), r - 1) << "tile " << i;
        EXPECT_EQ(rowOf(rows, t.q + 1), r - 1) << "tile " << i;
        int offset = int(t.p) - int(t.q);
        ASSERT_TRUE(offset >= 15 && offset <= 17) << "tile " << i;
        ++offsets[17 - offset];
        EXPECT_GT(t.area, 0.0) << "tile " << i;
    }
    EXPECT_EQ(offsets[0], 92);
    EXPECT_EQ(offsets[1], 38);
    EXPECT_EQ(offsets[2], 1);

    // Column by column from -x, by increasing z within a column, each tile
    // of a column on its own pair of rows.
    size_t i = 0;
    for (int c = 0; c < 16; ++c) {
        std::set<int> rowPairs;
        for (int k = 0; k < columnTiles[c]; ++k, ++i) {
            EXPECT_EQ(int(std::floor(tiles[i].cx + 8)), c) << "tile " << i;
            if (k > 0) {
                EXPECT_GT(tiles[i].cz, tiles[i - 1].cz) << "tile " << i;
            }
            rowPairs.insert(rowOf(rows, tiles[i].p));
        }
        EXPECT_EQ(int(rowPairs.size()), columnTiles[c]) << "column " << c;
    }

    double sum = 0, smallest = 1e9, largest = 0;
    std::set<int> cells;
    for (const Tile& t : tiles) {
        sum += t.area;
        smallest = std::min(smallest, t.area);
        largest = std::max(largest, t.area);
        cells.insert(int(std::floor(t.cx + 8)) * 16 + int(std::floor(t.cz + 8)));
    }
    expectWithin10Percent(sum / tiles.size(), 0.53, "mean tile area");
    expectWithin10Percent(largest, 1.17, "largest tile area");
    EXPECT_LT(smallest, 0.02);
    EXPECT_EQ(cells.size(), 127u) << "unit cells holding a tile's centre";
}

TEST(BackdropMesh, CornerListReadAsTriangles) {
    const MeshFile& m = backdrop();
    // Triangle 1 joins the first tile's fourth corner to the first two of
    // the second, which lies above it in the same column: a sliver along z,
    // facing up.
    auto tiles = tilesOf(m);
    EXPECT_GT(tiles[1].cz, tiles[0].cz);
    EXPECT_GT(triangleAreaVector(m, 1).y, 0.0);
    MeshVec along = meshSub(meshPosition(m, m.entries[4]), meshPosition(m, m.entries[3]));
    EXPECT_GT(std::fabs(along.z), std::fabs(along.x));

    int down = 0, up = 0, used = 0;
    uint32_t largestIndex = 0;
    double area = 0, sliverSum = 0, sliverMost = 0;
    int slivers = 0;
    std::vector<char> seen(m.vertexCount, 0);
    for (size_t t = 0; t < m.indexCount / 3; ++t) {
        double facing = triangleAreaVector(m, t).y;
        area += 0.5 * std::fabs(facing);
        bool joining = t % 4 == 1 || t % 4 == 2;
        if (facing < 0) {
            ++down;
            EXPECT_TRUE(joining) << "triangle " << t;
        } else {
            ++up;
        }
        for (int k = 0; k < 3; ++k) {
            uint32_t v = m.entries[3 * t + k];
            largestIndex = std::max(largestIndex, v);
            if (!seen[v]) ++used;
            seen[v] = 1;
        }
        if (joining) {
            double edge = 0;
            for (int k = 0; k < 3; ++k)
                edge = std::max(
                    edge, meshLength(meshSub(meshPosition(m, m.entries[3 * t + k]),
                                             meshPosition(m, m.entries[3 * t + (k + 1) % 3]))));
            sliverSum += edge;
            sliverMost = std::max(sliverMost, edge);
            ++slivers;
        }
    }
    EXPECT_EQ(down, 7);
    EXPECT_EQ(up, 124);
    expectWithin10Percent(used, 204, "vertices used");
    expectWithin10Percent(largestIndex, 276, "largest index");
    expectWithin10Percent(area, 96.0, "total area");
    expectWithin10Percent(sliverSum / slivers, 3.7, "slivers' mean longest edge");
    expectWithin10Percent(sliverMost, 14.4, "slivers' longest edge");
}

}  // namespace
