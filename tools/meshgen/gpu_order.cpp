// GPU ordering: band order for the triangles, meshoptimizer for the fetch
// order and the cache figures.
#include "gpu_order.h"

#include <meshoptimizer.h>

#include "quad_bands.h"

void buildGpuMesh(TriangleMesh* out, const QuadSurface& surface) {
    // Measured on these meshes: meshopt_optimizeVertexCache reaches 0.65
    // misses per triangle (16 entries) and 0.63 (32); bands, which know the
    // grid, 0.56 with either.
    // Triangulated in the surface's own order, so that the normals sum the
    // same way as without reordering; then each quad's four triangles move
    // as one to the quad's place in the bands.
    triangulateQuadSurface(out, surface);
    std::vector<uint32_t> order;
    if (surface.gridQuads.empty()) {
        orderQuadsInBands(&order, surface, gpuBandWidth);
    } else {
        // Bands over the regular grid, each grid quad's pieces in its place:
        // pieces would break the bands' rows wherever a cut line ends.
        QuadSurface grid;
        grid.quads = surface.gridQuads;
        std::vector<uint32_t> gridOrder;
        orderQuadsInBands(&gridOrder, grid, gpuBandWidth);
        std::vector<uint32_t> first(surface.gridQuads.size() + 1, 0);
        for (uint32_t g : surface.gridQuadOf) ++first[g + 1];
        for (size_t g = 0; g < surface.gridQuads.size(); ++g) first[g + 1] += first[g];
        for (uint32_t g : gridOrder)
            for (uint32_t q = first[g]; q < first[g + 1]; ++q) order.push_back(q);
    }
    std::vector<uint32_t> banded;
    banded.reserve(out->indices.size());
    for (uint32_t q : order)
        banded.insert(banded.end(), out->indices.begin() + 12 * size_t(q), out->indices.begin() + 12 * size_t(q + 1));
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
