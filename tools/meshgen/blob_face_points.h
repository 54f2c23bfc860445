// Points of the blob's +X face by face coordinates u = y / x, v = z / x:
// evaluated so that mirror images agree to the last bit, and the surface
// point at the middle of a quad.
#pragma once

#include "quad_surface.h"

// A point of the face's eighth 0 <= u <= v carried to its image: across the
// diagonal (swap), then across the mid-lines (flip).
Point3 mirrorFromEighth(Point3 p, bool swap, bool flipU, bool flipV);

// The surface point at face coordinates (u, v), found in the eighth
// 0 <= u <= v and carried back, so that mirror images, and the copies of a
// border point that two faces compute, agree to the last bit. Points on the
// mirror lines sit exactly on them.
Point3 symmetricFacePoint(double u, double v);

// The surface point at face coordinates (u, v), computed directly rather
// than through the eighth, and its unit normal (outward).
void facePointAndNormal(Point3* p, Point3* n, double u, double v);

// The surface point at the middle of a quad with corners at face
// coordinates (u[k], v[k]), counter-clockwise: the point of the surface,
// over the quad's own patch of face coordinates, nearest to the mean of its
// four corners. Staying within the patch keeps the four triangles around it
// from folding where the quad spans a steep wall. Where that point lies
// closer than spokeFloor to a corner, the centre moves to the nearest
// point that keeps that far from all four.
constexpr double spokeFloor = 0.0042;
Point3 quadCentre(const double u[4], const double v[4], const Point3 corner[4]);

// Sum of four face coordinates in an order fixed by their sizes, so that a
// quad and its mirror images get exactly mirrored sums.
double canonicalSum(double a, double b, double c, double d);

// Distance between two points, summed so that swapping y and z gives the
// same bits.
double pointDistance(Point3 a, Point3 b);
