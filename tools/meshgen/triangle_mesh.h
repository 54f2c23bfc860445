// A mesh in the embedded record layout, and how a quad surface becomes one.
#pragma once

#include <cstdint>
#include <vector>

#include "quad_surface.h"

struct TriangleMesh {
    std::vector<float> vertices;    // six per vertex: position xyz, normal xyz
    std::vector<uint32_t> indices;  // every stored entry; the drawn ones first
    uint32_t drawnIndexCount = 0;   // three per drawn triangle
};

inline uint32_t meshVertexCount(const TriangleMesh& m) { return uint32_t(m.vertices.size() / 6); }

// Splits every quad into four triangles around its centre point, counter-
// clockwise from outside: the corners become vertices 0..P-1 and the centres
// P..P+Q-1, and quad q's triangles are 4q..4q+3. Normals are the area-weighted
// means of the adjacent triangles' normals, stored by storeNormal (where the
// surface asks for it, only at points on an axis).
void triangulateQuadSurface(TriangleMesh* out, const QuadSurface& surface);

// Writes a unit normal in the stored convention: within 0.001 of a coordinate
// axis (both other components below 0.001) that component becomes exactly
// +-1000000 and the others stay as they are.
void storeNormal(float* out, double x, double y, double z);
