// Whole-mesh checks shared by the mesh tests: closedness and consistent
// winding, Euler characteristic, enclosed volume, and agreement between the
// triangles' own facing and the stored normals.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mesh_file.h"

struct MeshVec {
    double x, y, z;
};

inline MeshVec meshPosition(const MeshFile& m, uint32_t v) {
    const float* p = &m.vertices[size_t(v) * 6];
    return {p[0], p[1], p[2]};
}

// The stored normal brought back to unit length: axis normals are stored
// with a component of +-1000000, which normalising undoes.
inline MeshVec meshNormal(const MeshFile& m, uint32_t v) {
    const float* p = &m.vertices[size_t(v) * 6 + 3];
    double len = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
    if (len == 0.0) return {0, 0, 0};
    return {p[0] / len, p[1] / len, p[2] / len};
}

inline MeshVec meshSub(MeshVec a, MeshVec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline MeshVec meshCross(MeshVec a, MeshVec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double meshDot(MeshVec a, MeshVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double meshLength(MeshVec a) { return std::sqrt(meshDot(a, a)); }

// Twice the area vector of triangle t (of the drawn index list): its
// direction is the side from which the corners run counter-clockwise.
inline MeshVec triangleAreaVector(const MeshFile& m, size_t t) {
    MeshVec a = meshPosition(m, m.entries[3 * t]);
    MeshVec b = meshPosition(m, m.entries[3 * t + 1]);
    MeshVec c = meshPosition(m, m.entries[3 * t + 2]);
    return meshCross(meshSub(b, a), meshSub(c, a));
}

inline uint64_t meshEdgeKey(uint32_t from, uint32_t to) { return (uint64_t(from) << 32) | to; }

// True when the drawn triangles form a closed, consistently wound surface:
// every directed edge a->b occurs exactly once and its reverse b->a exactly
// once, so each undirected edge is shared by exactly two triangles that
// run along it in opposite directions. Degenerate triangles fail.
inline bool edgesSharedByTwo(const MeshFile& m) {
    std::unordered_map<uint64_t, int> directed;
    directed.reserve(m.indexCount);
    for (size_t i = 0; i + 3 <= m.indexCount; i += 3) {
        uint32_t v[3] = {m.entries[i], m.entries[i + 1], m.entries[i + 2]};
        for (int k = 0; k < 3; ++k) {
            uint32_t a = v[k], b = v[(k + 1) % 3];
            if (a == b || a >= m.vertexCount) return false;
            if (++directed[meshEdgeKey(a, b)] != 1) return false;
        }
    }
    for (const auto& e : directed) {
        uint32_t a = uint32_t(e.first >> 32), b = uint32_t(e.first);
        if (directed.find(meshEdgeKey(b, a)) == directed.end()) return false;
    }
    return true;
}

// Number of distinct undirected edges of the drawn triangles.
inline size_t undirectedEdgeCount(const MeshFile& m) {
    std::unordered_map<uint64_t, char> edges;
    edges.reserve(m.indexCount);
    for (size_t i = 0; i + 3 <= m.indexCount; i += 3) {
        for (int k = 0; k < 3; ++k) {
            uint32_t a = m.entries[i + k], b = m.entries[i + (k + 1) % 3];
            edges[a < b ? meshEdgeKey(a, b) : meshEdgeKey(b, a)] = 1;
        }
    }
    return edges.size();
}

// V - E + F over the vertices the triangles use: 2 for a sphere, 0 for a torus.
inline long eulerCharacteristic(const MeshFile& m) {
    std::vector<char> used(m.vertexCount, 0);
    long vertices = 0;
    for (size_t i = 0; i < m.indexCount; ++i) {
        uint32_t v = m.entries[i];
        if (v < m.vertexCount && !used[v]) {
            used[v] = 1;
            ++vertices;
        }
    }
    return vertices - long(undirectedEdgeCount(m)) + long(m.indexCount / 3);
}

// Signed volume enclosed by the triangles (divergence theorem): positive
// when a closed surface is wound counter-clockwise seen from outside.
inline double enclosedVolume(const MeshFile& m) {
    double sum = 0.0;
    for (size_t t = 0; t < m.indexCount / 3; ++t) {
        MeshVec a = meshPosition(m, m.entries[3 * t]);
        MeshVec b = meshPosition(m, m.entries[3 * t + 1]);
        MeshVec c = meshPosition(m, m.entries[3 * t + 2]);
        sum += meshDot(a, meshCross(b, c));
    }
    return sum / 6.0;
}

// Number of drawn triangles whose facing (from their winding) disagrees
// with the mean of their three stored normals: the dot product of the unit
// face normal with that mean is below minCosine. 0 for a mesh whose
// normals point to the side its triangles are wound counter-clockwise on.
inline size_t faceNormalsDisagreeing(const MeshFile& m, double minCosine = 0.0) {
    size_t bad = 0;
    for (size_t t = 0; t < m.indexCount / 3; ++t) {
        MeshVec face = triangleAreaVector(m, t);
        double len = meshLength(face);
        MeshVec n = {0, 0, 0};
        for (int k = 0; k < 3; ++k) {
            MeshVec s = meshNormal(m, m.entries[3 * t + k]);
            n = {n.x + s.x, n.y + s.y, n.z + s.z};
        }
        double nlen = meshLength(n);
        if (len == 0.0 || nlen == 0.0 || meshDot(face, n) / (len * nlen) < minCosine) ++bad;
    }
    return bad;
}

inline bool faceNormalsAgreeWithStored(const MeshFile& m, double minCosine = 0.0) {
    return faceNormalsDisagreeing(m, minCosine) == 0;
}

// True when every stored normal is unit length (within tol) or follows the
// axis convention: one component exactly +-1000000, the other two below 0.001.
inline bool normalsFollowConvention(const MeshFile& m, double tol = 1e-4) {
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        const float* n = &m.vertices[size_t(v) * 6 + 3];
        int big = 0;
        bool smallRest = true;
        for (int k = 0; k < 3; ++k) {
            if (std::fabs(n[k]) == 1000000.0f)
                ++big;
            else if (std::fabs(n[k]) >= 0.001f)
                smallRest = false;
        }
        if (big == 1 && smallRest) continue;
        if (big != 0) return false;
        double len = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        if (std::fabs(len - 1.0) > tol) return false;
    }
    return true;
}

// Number of normals stored with the +-1000000 axis convention.
inline size_t axisNormalCount(const MeshFile& m) {
    size_t count = 0;
    for (uint32_t v = 0; v < m.vertexCount; ++v) {
        const float* n = &m.vertices[size_t(v) * 6 + 3];
        for (int k = 0; k < 3; ++k)
            if (std::fabs(n[k]) == 1000000.0f) ++count;
    }
    return count;
}
