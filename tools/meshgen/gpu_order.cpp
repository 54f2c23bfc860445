// GPU ordering: band order for the triangles, meshoptimizer for the fetch
// order and the cache figures.
#include "gpu_order.h"

#include <meshoptimizer.h>

#include <algorithm>

#include "quad_bands.h"

void buildGpuMesh(TriangleMesh* out, const QuadSurface& surface) {
    // Measured on these meshes: meshopt_optimizeVertexCache reaches 0.66 and
    // 0.68 misses per triangle (ring and blob, 16 entries) and 0.62 (32);
    // bands, which know the grid, 0.56 on the ring with either and 0.57 on
    // the blob with 32 entries (0.67 with 16: its rows hold more points).
    // Triangulated in the surface's own order, so that the normals sum the
    // same way as without reordering; then each quad's four triangles move
    // as one to the quad's place in the bands.
    triangulateQuadSurface(out, surface);
    std::vector<uint32_t> order;
    if (surface.gridQuads.empty()) {
        orderQuadsInBands(&order, surface, gpuBandWidth);
    } else {
        // Bands over the regular grid the surface was laid on, each grid
        // quad's pieces in its place: pieces would break the bands' rows
        // wherever a cut line ends.
        QuadSurface grid;
        grid.quads = surface.gridQuads;
        std::vector<uint32_t> gridOrder;
        orderQuadsInBands(&gridOrder, grid, gpuBandWidth);
        std::vector<uint32_t> first(surface.gridQuads.size() + 1, 0);
        for (uint32_t g : surface.gridQuadOf) ++first[g + 1];
        for (size_t g = 0; g < surface.gridQuads.size(); ++g) first[g + 1] += first[g];
        // The pieces of each band row's worth of grid quads go in the order
        // that finds most of their corners in a vertex cache of 32 entries,
        // the oldest entries, soonest to be dropped, counting a little more.
        std::vector<uint32_t> cache;
        for (size_t start = 0; start < gridOrder.size(); start += gpuBandWidth) {
            std::vector<uint32_t> pieces;
            for (size_t i = start; i < std::min(gridOrder.size(), start + gpuBandWidth); ++i)
                for (uint32_t q = first[gridOrder[i]]; q < first[gridOrder[i] + 1]; ++q)
                    pieces.push_back(q);
            while (!pieces.empty()) {
                size_t best = 0;
                double bestScore = -1;
                for (size_t i = 0; i < pieces.size(); ++i) {
                    double score = 0;
                    for (uint32_t c : surface.quads[pieces[i]]) {
                        auto at = std::find(cache.begin(), cache.end(), c);
                        if (at != cache.end()) score += 1 + double(cache.end() - at) / 64;
                    }
                    if (score > bestScore) best = i, bestScore = score;
                }
                uint32_t q = pieces[best];
                pieces.erase(pieces.begin() + long(best));
                order.push_back(q);
                for (uint32_t c : surface.quads[q])
                    if (std::find(cache.begin(), cache.end(), c) == cache.end()) {
                        cache.push_back(c);
                        if (cache.size() > 32) cache.erase(cache.begin());
                    }
            }
        }
    }
    std::vector<uint32_t> banded;
    banded.reserve(out->indices.size());
    for (uint32_t q : order)
        banded.insert(banded.end(), out->indices.begin() + 12 * size_t(q),
                      out->indices.begin() + 12 * size_t(q + 1));
    out->indices.swap(banded);
    orderVerticesForFetch(out);
}

void orderVerticesForFetch(TriangleMesh* mesh) {
    std::vector<float> fetchOrder(mesh->vertices.size());
    meshopt_optimizeVertexFetch(fetchOrder.data(), mesh->indices.data(), mesh->drawnIndexCount,
                                mesh->vertices.data(), meshVertexCount(*mesh), 6 * sizeof(float));
    mesh->vertices.swap(fetchOrder);
}

double cacheMissRatio(const TriangleMesh& mesh, unsigned cacheSize) {
    meshopt_VertexCacheStatistics s = meshopt_analyzeVertexCache(
        mesh.indices.data(), mesh.drawnIndexCount, meshVertexCount(mesh), cacheSize, 0, 0);
    return s.acmr;
}

double fetchOverfetch(const TriangleMesh& mesh) {
    meshopt_VertexFetchStatistics s = meshopt_analyzeVertexFetch(
        mesh.indices.data(), mesh.drawnIndexCount, meshVertexCount(mesh), 6 * sizeof(float));
    return s.overfetch;
}
