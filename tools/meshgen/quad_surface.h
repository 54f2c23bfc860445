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
    // Where quads of a regular grid were cut into pieces: the grid's quads,
    // and for every quad the grid quad it lies in (a grid quad's pieces
    // follow each other). Empty where the quads are the grid's own. The grid
    // quads' corners only tell which of them share a side: they number the
    // grid's own points, which need not be among the surface's.
    std::vector<std::array<uint32_t, 4>> gridQuads;
    std::vector<uint32_t> gridQuadOf;
    // Whether only points on a coordinate axis store their normal in the
    // +-1000000 axis form; elsewhere a normal that happens to lie within
    // 0.001 of an axis stays a unit vector.
    bool axisNormalsOnAxesOnly = false;
};

// The ornamented ring about the Y axis.
void buildRingSurface(QuadSurface* out);

// The relief-covered blob with the symmetry of a cube.
void buildBlobSurface(QuadSurface* out);
