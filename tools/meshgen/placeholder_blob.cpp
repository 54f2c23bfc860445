// Stand-in for the blob while its real surface is not in the tree: a plain
// cube-sphere of radius 1.5, so the generation and embedding run end to end.
#include <cmath>
#include <map>

#include "quad_surface.h"

namespace {

const int faceSteps = 48;
const double sphereRadius = 1.5;

Point3 spherePoint(const double lattice[3]) {
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = 2.0 * lattice[k] / faceSteps - 1.0;
    double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return {sphereRadius * p[0] / len, sphereRadius * p[1] / len, sphereRadius * p[2] / len};
}

}  // namespace

void buildBlobSurface(QuadSurface* out) {
    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    std::map<long, uint32_t> pointIndex;  // lattice point on the cube -> corner
    auto corner = [&](const int lattice[3]) {
        long key = (long(lattice[0]) * (faceSteps + 1) + lattice[1]) * (faceSteps + 1) + lattice[2];
        auto it = pointIndex.find(key);
        if (it != pointIndex.end()) return it->second;
        uint32_t index = uint32_t(out->points.size());
        double at[3] = {double(lattice[0]), double(lattice[1]), double(lattice[2])};
        out->points.push_back(spherePoint(at));
        pointIndex[key] = index;
        return index;
    };
    for (int axis = 0; axis < 3; ++axis) {
        int u = (axis + 1) % 3, v = (axis + 2) % 3;  // u x v points along +axis
        for (int side = 0; side < 2; ++side) {
            for (int a = 0; a < faceSteps; ++a) {
                for (int b = 0; b < faceSteps; ++b) {
                    int l[4][3];
                    const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
                    for (int k = 0; k < 4; ++k) {
                        l[k][axis] = side ? faceSteps : 0;
                        l[k][u] = a + du[k];
                        l[k][v] = b + dv[k];
                    }
                    std::array<uint32_t, 4> q = {corner(l[0]), corner(l[1]), corner(l[2]), corner(l[3])};
                    if (!side) q = {q[0], q[3], q[2], q[1]};  // the -axis face is seen from the other side
                    out->quads.push_back(q);
                    double mid[3];
                    for (int k = 0; k < 3; ++k) mid[k] = (l[0][k] + l[2][k]) * 0.5;
                    out->centres.push_back(spherePoint(mid));
                }
            }
        }
    }
}
