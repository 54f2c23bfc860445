// The blob's radius field: the distance from the origin to the surface along
// every direction of the face around +X, smooth and with the cube's symmetry.
#pragma once

#include "quad_surface.h"

// Radius along the direction (1, u, v) for face coordinates |u|, |v| <= 1.1,
// with its partial derivatives along u and v and, when second is given, its
// second ones (uu, uv, vv).
void blobRadius(double* r, double* ru, double* rv, double u, double v, double* second = nullptr);

// The surface point of the face coordinates (u, v): the point of the radius
// field moved sideways to undercut the walls (blob_surface_undercut.cpp),
// and its partial derivatives along u and v.
void blobFacePoint(Point3* p, Point3* pu, Point3* pv, double u, double v);

// The face coordinates of an arbitrary direction (x, y, z), folded by the cube's
// symmetry into the +X face; the radius there is the radius along (x, y, z).
void blobFoldDirection(double* u, double* v, double x, double y, double z);
