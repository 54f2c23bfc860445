// Vertex cache and fetch ordering with meshoptimizer.
#include "gpu_order.h"

#include <meshoptimizer.h>

#include <algorithm>

void orderForGpu(TriangleMesh* mesh) {
    const size_t count = mesh->drawnIndexCount;
    const size_t vertexCount = meshVertexCount(*mesh);
    std::vector<uint32_t> cacheOrder(count);
    meshopt_optimizeVertexCache(cacheOrder.data(), mesh->indices.data(), count, vertexCount);
    // The cache order alone scatters vertex reads across the buffer; renumber
    // the vertices in first-use order so the fetches stream.
    std::vector<float> fetchOrder(mesh->vertices.size());
    meshopt_optimizeVertexFetch(fetchOrder.data(), cacheOrder.data(), count, mesh->vertices.data(),
                                vertexCount, 6 * sizeof(float));
    std::copy(cacheOrder.begin(), cacheOrder.end(), mesh->indices.begin());
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
