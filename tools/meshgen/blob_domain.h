// The blob's fundamental domain and the steps that mesh it. The domain is
// the triangle 0 <= u <= v <= 1 of the +X face's coordinates (u = y / x,
// v = z / x): one 48th of the blob, bounded by three of the cube's mirror
// planes. A mesh of it whose border points lie exactly on those lines,
// reflected into the face and turned onto the six faces, closes up into the
// whole blob with the cube's symmetry exact.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "quad_surface.h"

// The mirror lines a point lies on, as bits. A point on two of them is a
// corner of the domain and never moves; a point on one slides along it.
constexpr int onMidLine = 1;   // u = 0, the plane y = 0
constexpr int onDiagonal = 2;  // u = v, the plane y = z
constexpr int onEdgeLine = 4;  // v = 1, the plane z = x

inline bool isDomainCorner(int lines) { return lines != 0 && (lines & (lines - 1)) != 0; }

// Vector arithmetic on surface points, for the mesher's steps.
inline Point3 sub(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Point3 add(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Point3 mul(Point3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double norm(Point3 a) { return std::sqrt(dot(a, a)); }
inline Point3 cross(Point3 a, Point3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Twice the signed area of the triangle a, b, c in (u, v): positive when
// counter-clockwise.
inline double orientation(double au, double av, double bu, double bv, double cu, double cv) {
    return (bu - au) * (cv - av) - (bv - av) * (cu - au);
}

// The step (du, dv) in face coordinates whose tangent vector du pu + dv pv
// comes nearest the move d in space (least squares).
inline void tangentStep(double* du, double* dv, Point3 pu, Point3 pv, Point3 d) {
    double E = dot(pu, pu), F = dot(pu, pv), G = dot(pv, pv);
    double bu = dot(pu, d), bv = dot(pv, d), det = E * G - F * F;
    *du = (G * bu - F * bv) / det, *dv = (E * bv - F * bu) / det;
}

// Keeps the move of a point on one mirror line along that line.
inline void keepOnLine(double* du, double* dv, int lines) {
    if (lines == onMidLine) *du = 0;
    if (lines == onEdgeLine) *dv = 0;
    if (lines == onDiagonal) *du = *dv = 0.5 * (*du + *dv);
}

// The key of the side between points a and b, either way round.
inline uint64_t sideKey(int a, int b) {
    return a < b ? (uint64_t(a) << 32) | uint32_t(b) : (uint64_t(b) << 32) | uint32_t(a);
}

// The surface point at (u, v), as blobFacePoint has it.
Point3 surf(double u, double v);

struct DomainPoint {
    double u, v;
    int lines;  // onMidLine | onDiagonal | onEdgeLine
    Point3 p;   // the surface point, blobFacePoint(u, v)
};

struct DomainTriangles {
    std::vector<DomainPoint> points;
    std::vector<std::array<int, 3>> triangles;  // counter-clockwise in (u, v)
};

struct DomainQuads {
    std::vector<DomainPoint> points;
    std::vector<std::array<int, 4>> quads;  // counter-clockwise in (u, v)
};

// Step 1: a coarse, nearly even triangle mesh of the domain, by isotropic
// remeshing (split, collapse, flip, tangential relaxation) with lengths
// measured on the surface.
void remeshBlobDomain(DomainTriangles* out);

// Step 2: the triangles paired into quads across their shared sides, then
// every quad split into four and every unpaired triangle into three.
void pairAndSplit(DomainQuads* out, const DomainTriangles& mesh);

// Step 3: every quad split into four, the new points midway in (u, v).
void splitQuads(DomainQuads* mesh);

// Step 4: the points slide over the surface, the quads' topology fixed, so
// that quads shrink across tight bends and grow on the flats (springs in
// the lifted metric). level 1 after the first split, 2 after the second.
void relaxBlobDomain(DomainQuads* mesh, int level, int sweeps);

// Step 5: optimisation-based smoothing of the points of the quads that
// still reach past the mesh limits, each moved where its neighbourhood's
// excess over those limits is least.
void smoothBlobDomain(DomainQuads* mesh, int passes);

// Steps 1 to 5 in order: the domain's finished quad mesh.
void meshBlobDomain(DomainQuads* out);

// The domain's quads reflected into the face and turned onto the six faces,
// welded on the mirror lines: the whole blob, its centre points included.
void reflectBlobDomain(QuadSurface* out, const DomainQuads& mesh);

// The surface point at domain coordinates (u, v), placed exactly on the
// mirror planes of the lines it lies on; and the centre point of a quad:
// the point of the surface over the quad's own patch of face coordinates
// nearest the mean of its corners.
Point3 domainSurfacePoint(double u, double v);
Point3 domainQuadCentre(const double u[4], const double v[4], const Point3 corner[4]);
