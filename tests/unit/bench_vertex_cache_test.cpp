// The FIFO vertex cache simulation behind qorv-bench's ACMR figures: known
// small cases by hand, and agreement with meshoptimizer's analyser (which,
// with no warp or primitive-group limits, models the same FIFO) on grids in
// several orders.
#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "vertex_cache.h"

namespace {

// A w x h grid of quads, two triangles each, row by row.
std::vector<uint32_t> gridIndices(uint32_t w, uint32_t h) {
    std::vector<uint32_t> indices;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t a = y * (w + 1) + x, b = a + 1, c = a + w + 1, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    return indices;
}

double meshoptAcmr(const std::vector<uint32_t>& indices, uint32_t vertexCount, unsigned cache) {
    return meshopt_analyzeVertexCache(indices.data(), indices.size(), vertexCount, cache, 0, 0)
        .acmr;
}

}  // namespace

TEST(FifoAcmr, HandCountedCases) {
    // One triangle: three misses.
    const uint32_t one[] = {0, 1, 2};
    EXPECT_DOUBLE_EQ(fifoAcmr(one, 3, 3, 16), 3.0);
    // The same triangle twice: the second is free while the cache holds three.
    const uint32_t twice[] = {0, 1, 2, 0, 1, 2};
    EXPECT_DOUBLE_EQ(fifoAcmr(twice, 6, 3, 3), 1.5);
    // With room for two only, FIFO evicts each vertex just before its reuse.
    EXPECT_DOUBLE_EQ(fifoAcmr(twice, 6, 3, 2), 3.0);
    // A hit does not refresh a vertex: 0 stays oldest and is evicted by 3.
    const uint32_t fan[] = {0, 1, 2, 0, 2, 3, 0, 3, 4};
    EXPECT_DOUBLE_EQ(fifoAcmr(fan, 9, 5, 3), 6.0 / 3.0);
    EXPECT_DOUBLE_EQ(fifoAcmr(fan, 9, 5, 4), 5.0 / 3.0);
    // Nothing to draw.
    EXPECT_DOUBLE_EQ(fifoAcmr(one, 0, 3, 16), 0.0);
}

TEST(FifoAcmr, NeverBelowTheVertexCountAndNeverAboveThree) {
    const std::vector<uint32_t> grid = gridIndices(40, 40);
    const uint32_t vertices = 41 * 41;
    for (unsigned cache : {4u, 16u, 32u, 4096u}) {
        const double acmr = fifoAcmr(grid.data(), grid.size(), vertices, cache);
        EXPECT_LE(acmr, 3.0);
        EXPECT_GE(acmr, double(vertices) / (grid.size() / 3) - 1e-12);
    }
    // A cache as large as the mesh transforms every vertex exactly once.
    EXPECT_DOUBLE_EQ(fifoAcmr(grid.data(), grid.size(), vertices, 4096),
                     double(vertices) / (grid.size() / 3));
}

TEST(FifoAcmr, AgreesWithMeshoptimizer) {
    std::vector<uint32_t> grid = gridIndices(60, 30);
    const uint32_t vertices = 61 * 31;
    std::vector<uint32_t> shuffled = grid;
    // Shuffle whole triangles so the order is poor but every triangle stays.
    std::mt19937 random(7);
    for (size_t t = shuffled.size() / 3 - 1; t > 0; --t) {
        size_t u = random() % (t + 1);
        std::swap_ranges(shuffled.begin() + 3 * t, shuffled.begin() + 3 * t + 3,
                         shuffled.begin() + 3 * u);
    }
    std::vector<uint32_t> optimised(grid.size());
    meshopt_optimizeVertexCache(optimised.data(), grid.data(), grid.size(), vertices);
    for (const std::vector<uint32_t>* order : {&grid, &shuffled, &optimised})
        for (unsigned cache : {3u, 16u, 32u})
            EXPECT_NEAR(fifoAcmr(order->data(), order->size(), vertices, cache),
                        meshoptAcmr(*order, vertices, cache), 1e-6)
                << "cache " << cache;
}
