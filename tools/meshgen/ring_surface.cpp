// The ornamented ring: a torus about Y on a regular grid of 768 quads around
// the ring by 64 around the tube, with 16 stations of two lobes each.
//
// The surface is given in polar form about the tube's centre line, a circle
// of radius 10.4315 in y = 0: a point at ring angle theta (in the XZ plane,
// from +X towards +Z) and tube angle phi (from the outward horizontal towards
// +Y) lies at distance tubeDistance(theta, phi) from that line. The lobes'
// crests are placed by their distance from a second circle, the lobes'
// centre line of radius 10.449, on which the outline is symmetric.
#include <cmath>

#include "profile_curve.h"
#include "quad_surface.h"

namespace {

const int ringSteps = 768;  // quads around the ring: 0.46875 degrees each
const int tubeSteps = 64;   // quads around the tube: 5.625 degrees each
const double pi = 3.14159265358979323846;
const double degree = pi / 180.0;

// The bare tube: radius 0.45 round a centre line 0.0175 inside the lobes'
// centre line, so it reaches 10.8815 from the axis and lies on average 0.45
// from the lobes' centre line all around.
const double tubeLineRadius = 10.4315;
const double tubeRadius = 0.45;
const double lobeLineRadius = 10.449;
const double crestDistance = 0.753;  // crest from the lobes' centre line

const int stationCount = 16;
const double firstStation = 16.875;  // degrees around the ring
const double stationStep = 22.5;
const double firstLobe = 22.5;  // tube angle of station 0's first lobe
const double lobeTurn = -45.0;  // the lobe pair turns by this per station

// The lobe's height, as a fraction of its full height, by the offset from its
// station along the ring (degrees): full within about 3.4 degrees, half near
// 5.5, within 0.02 units of the bare tube by 9 and gone at 16.
const double alongX[] = {0, 2, 3.4, 4, 5, 6, 7, 8, 9, 10, 11, 12.5, 14, 16};
const double alongY[] = {1,    0.955, 0.9,   0.80,  0.60,  0.37,  0.2,
                         0.11, 0.066, 0.05,  0.035, 0.017, 0.006, 0};
// And by the offset around the tube from the lobe's direction (degrees): a
// flat crest that keeps the outline wide, more than 0.05 units proud over
// about 58 degrees, gone at 60.
const double aroundX[] = {0, 8, 15, 22.5, 30, 45, 60};
const double aroundY[] = {1, 0.94, 0.71, 0.43, 0.165, 0.02, 0};
const double alongReach = 16.0;
const double aroundReach = 60.0;

ProfileCurve alongCurve, aroundCurve;

// Wraps an angle difference in degrees to [-180, 180).
double wrapDegrees(double a) {
    a = std::fmod(a + 180.0, 360.0);
    if (a < 0) a += 360.0;
    return a - 180.0;
}

// Distance from the tube's centre line, in direction phi, of the point that
// lies crestDistance from the lobes' centre line.
double crestFromTubeLine(double phi) {
    double inset = lobeLineRadius - tubeLineRadius, c = std::cos(phi * degree);
    return inset * c + std::sqrt(crestDistance * crestDistance - inset * inset * (1.0 - c * c));
}

double tubeDistance(double theta, double phi) {
    double d = tubeRadius;
    for (int k = 0; k < stationCount; ++k) {
        double along = std::fabs(wrapDegrees(theta - (firstStation + stationStep * k)));
        if (along >= alongReach) continue;
        double height = profileValue(alongCurve, along);
        for (int side = 0; side < 2; ++side) {
            double lobe = firstLobe + lobeTurn * k + 180.0 * side;
            double around = std::fabs(wrapDegrees(phi - lobe));
            if (around >= aroundReach) continue;
            d += (crestFromTubeLine(lobe) - tubeRadius) * height * profileValue(aroundCurve, around);
        }
    }
    return d;
}

Point3 ringPoint(double theta, double phi) {
    double d = tubeDistance(theta, phi);
    double rho = tubeLineRadius + d * std::cos(phi * degree);
    return {rho * std::cos(theta * degree), d * std::sin(phi * degree), rho * std::sin(theta * degree)};
}

}  // namespace

void buildRingSurface(QuadSurface* out) {
    buildProfileCurve(&alongCurve, alongX, alongY, int(sizeof alongX / sizeof alongX[0]));
    buildProfileCurve(&aroundCurve, aroundX, aroundY, int(sizeof aroundX / sizeof aroundX[0]));
    const double ringStep = 360.0 / ringSteps, tubeStep = 360.0 / tubeSteps;

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    out->points.reserve(ringSteps * tubeSteps);
    for (int i = 0; i < ringSteps; ++i)
        for (int j = 0; j < tubeSteps; ++j) out->points.push_back(ringPoint(i * ringStep, j * tubeStep));

    // Up the tube first, then along the ring: counter-clockwise from outside.
    for (int i = 0; i < ringSteps; ++i) {
        uint32_t row = uint32_t(i * tubeSteps), next = uint32_t(((i + 1) % ringSteps) * tubeSteps);
        for (int j = 0; j < tubeSteps; ++j) {
            uint32_t j1 = uint32_t((j + 1) % tubeSteps);
            out->quads.push_back({row + uint32_t(j), row + j1, next + j1, next + uint32_t(j)});
            out->centres.push_back(ringPoint((i + 0.5) * ringStep, (j + 0.5) * tubeStep));
        }
    }
}
