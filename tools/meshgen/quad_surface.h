// A closed quad surface as the generators author it, before it becomes a
// triangle mesh: corner points, quads and one centre point per quad.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct Point3 {
    double x, y, z;
};

struct QuadSurface {
    std::vector<Point3> points;                  // the quads' corner points
    std::vector<std::array<uint32_t, 4>> quads;  // corners counter-clockwise seen from outside
    std::vector<Point3> centres;                 // one per quad: the surface point at its centre
    // Whether only points on a coordinate axis store their normal in the
    // +-1000000 axis form; elsewhere a normal that happens to lie within
    // 0.001 of an axis stays a unit vector.
    bool axisNormalsOnAxesOnly = false;
};

// The ornamented ring about the Y axis.
void buildRingSurface(QuadSurface* out);

// The relief-covered blob with the symmetry of a cube.
void buildBlobSurface(QuadSurface* out);
