// Band ordering over the quads' edge adjacency.
#include "quad_bands.h"

#include <cstddef>
#include <unordered_map>

namespace {

struct Step {
    int64_t quad;  // -1: none
    int forward;   // the edge the row leaves the quad by
};

uint64_t edgeKey(uint32_t from, uint32_t to) { return (uint64_t(from) << 32) | to; }

struct Adjacency {
    // Directed edge (from, to) of a quad -> that quad and the edge's index in it.
    std::unordered_map<uint64_t, uint64_t> edges;
};

void buildAdjacency(Adjacency* out, const QuadSurface& s) {
    out->edges.reserve(s.quads.size() * 4);
    for (size_t q = 0; q < s.quads.size(); ++q)
        for (int k = 0; k < 4; ++k)
            out->edges[edgeKey(s.quads[q][k], s.quads[q][(k + 1) % 4])] =
                (uint64_t(q) << 2) | uint64_t(k);
}

// The quad across edge k of quad q, and the index of that edge in it.
bool across(const Adjacency& adj, const QuadSurface& s, uint32_t q, int k, uint32_t* next,
            int* nextEdge) {
    auto it = adj.edges.find(edgeKey(s.quads[q][(k + 1) % 4], s.quads[q][k]));
    if (it == adj.edges.end()) return false;
    *next = uint32_t(it->second >> 2);
    *nextEdge = int(it->second & 3);
    return true;
}

// Along the row: out over the forward edge, on over the edge opposite the
// one we came in by.
Step forwardStep(const Adjacency& adj, const QuadSurface& s, Step at) {
    uint32_t next;
    int entry;
    if (!across(adj, s, uint32_t(at.quad), at.forward, &next, &entry)) return {-1, 0};
    return {int64_t(next), (entry + 2) % 4};
}

// To the next row: over the side edge (one after forward), keeping the rows
// parallel: in the new quad, forward is one after the edge we came in by.
Step sideStep(const Adjacency& adj, const QuadSurface& s, Step at) {
    uint32_t next;
    int entry;
    if (!across(adj, s, uint32_t(at.quad), (at.forward + 1) % 4, &next, &entry)) return {-1, 0};
    return {int64_t(next), (entry + 1) % 4};
}

}  // namespace

void orderQuadsInBands(std::vector<uint32_t>* order, const QuadSurface& surface, int bandWidth) {
    Adjacency adj;
    buildAdjacency(&adj, surface);
    std::vector<char> taken(surface.quads.size(), 0);
    order->clear();
    order->reserve(surface.quads.size());
    for (uint32_t seed = 0; seed < surface.quads.size(); ++seed) {
        if (taken[seed]) continue;
        // Rows all run the same way: measured, running every other row
        // back costs more misses with a 16-entry cache and saves none.
        Step rowStart = {int64_t(seed), 1};
        while (rowStart.quad >= 0 && !taken[size_t(rowStart.quad)]) {
            Step at = rowStart;
            for (int n = 0; n < bandWidth && at.quad >= 0 && !taken[size_t(at.quad)]; ++n) {
                taken[size_t(at.quad)] = 1;
                order->push_back(uint32_t(at.quad));
                at = forwardStep(adj, surface, at);
            }
            rowStart = sideStep(adj, surface, rowStart);
        }
    }
}
