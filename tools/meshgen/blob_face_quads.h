// One face's quads while strips and side mending change them: the points
// by face coordinates, their places and normals on the surface, where each
// point lies and which quads each side belongs to.
#pragma once

#include "quad_surface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

using Quad = std::array<uint32_t, 4>;

struct Point2 {
    double u, v;
};

// The key of the side between points a and b, either way round.
uint64_t edgeKey(uint32_t a, uint32_t b);

// The quads on either side of a side; UINT32_MAX where there is none.
struct EdgeSides {
    uint32_t quad[2] = {UINT32_MAX, UINT32_MAX};
};

struct FaceQuads {
    std::vector<Quad>* quads = nullptr;
    std::vector<uint32_t>* gridQuadOf = nullptr;  // each quad's grid quad
    std::vector<char>* fresh = nullptr;           // each quad: new or changed
    std::vector<double>*u = nullptr, *v = nullptr;
    std::vector<Point3> point, normal;
    std::unordered_map<uint64_t, EdgeSides> edges;
    std::map<std::pair<double, double>, uint32_t> pointAt;
};

// Opens the face's quads, points and per-quad lists for change: each
// point's place and normal, where each point lies, and each side's quads.
// fresh gets an entry, unset, for each quad that has none.
void openFaceQuads(FaceQuads* f, std::vector<Quad>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v);

void addQuadEdges(FaceQuads* f, uint32_t q);
void removeQuadEdges(FaceQuads* f, uint32_t q);

// The point at face coordinates (pu, pv), added if the face has none there.
uint32_t addPoint(FaceQuads* f, double pu, double pv);

// The unit normal of the surface at face coordinates (pu, pv).
Point3 unitNormal(double pu, double pv);

// The index of the side of quad q from corner a to corner b (either way),
// or -1.
int sideIndex(const FaceQuads& f, uint32_t q, uint32_t a, uint32_t b);

// The mean of quad q's corners in face coordinates.
Point2 centroid(const FaceQuads& f, uint32_t q);

// Whether quad q lies within the eighth 0 < u < v < 1, off its mirror lines.
bool inEighth(const FaceQuads& f, uint32_t q);

// The face coordinates of a point carried to its mirror image m: across
// the diagonal (m & 4), then across the mid-lines (m & 1, m & 2).
std::pair<double, double> mirrorImage(double pu, double pv, int m);
