// The ornamented ring: a torus about Y on a regular grid of 512 quads around
// the ring by 96 around the tube, with 16 stations of two lobes each.
//
// The surface is given in polar form about the lobes' centre line, a circle
// of radius 10.449 in y = 0: a point at ring angle theta (in the XZ plane,
// from +X towards +Z) and tube angle phi (from the outward horizontal towards
// +Y) lies at distance tubeDistance(theta, phi) from that line. On this grid
// every station lies on a ring line (24 + 32k), so does the midpoint between
// two stations, and every lobe direction on a tube line (6 + 12k).
#include <cmath>

#include "profile_curve.h"
#include "quad_surface.h"

namespace {

const int ringSteps = 512;  // quads around the ring: 0.703125 degrees each
const int tubeSteps = 96;   // quads around the tube: 3.75 degrees each
const double pi = 3.14159265358979323846;
const double degree = pi / 180.0;

// The bare tube, symmetric about the vertical and the horizontal through the
// lobes' centre line: 0.4325 wide on either side, so that it reaches 10.8815
// from the axis, and 0.4514 high. The narrowing is confined near the
// horizontal (cos^8), so the tube is about 0.45 round most of the way. Its
// top and bottom lines are level along the ring wherever no lobe reaches
// them, and the vertical symmetry makes the tails of a lobe above the outer
// side and one above the inner side alike, so that they cancel midway
// between two stations.
const double lobeLineRadius = 10.449;
const double tubeHalfWidth = 0.4325;
const double tubeHalfHeight = 0.4514;
const double crestDistance = 0.7540;  // crest from the lobes' centre line

const int stationCount = 16;
const double firstStation = 16.875;  // degrees around the ring
const double stationStep = 22.5;
const double firstLobe = 22.5;  // tube angle of station 0's first lobe
const double lobeTurn = -45.0;  // the lobe pair turns by this per station

// The lobe's height, as a fraction of its full height, by the offset from its
// station along the ring (degrees): full within about 2 degrees, half near
// 5.5, a long low tail that ends 22 ring lines (15.46875 degrees) out. Its
// last knot sets the tilt (about 0.0011) of the normal on the first level
// line of the tube's top beyond the tail: just above the 0.001 at which a
// normal is stored along the axis where that tilt runs nearly along X or Z
// (9.84 degrees), below it where the tilt runs diagonally (46.41 degrees).
// The points are fitted to the measured profile, with a smoothness that keeps
// each quad's centre within 0.003 of its corners' mean.
const double alongX[] = {0, 1, 2, 3, 4, 5, 6, 7.5, 9, 10.5, 12, 13.5, 15.46875};
const double alongY[] = {1.0000, 0.9907, 0.9552, 0.8799, 0.7610, 0.5778, 0.3450,
                         0.1423, 0.1109, 0.0410, 0.0278, 0.0125, 0.0000};
// And by the offset around the tube from the lobe's direction (degrees),
// divided by the lobe's width at that offset along the ring: a flat crest
// that keeps the outline wide, gone at 56 degrees, so that even at its widest
// a lobe pointing sideways stays clear of the tube's top and bottom lines and
// of the lines beside them (63.75 degrees away).
const double aroundX[] = {0, 5, 10, 15, 20, 25, 30, 36, 42, 49, 56};
const double aroundY[] = {1.0000, 0.9696, 0.8885, 0.7312, 0.5255, 0.3679,
                          0.1786, 0.0597, 0.0465, 0.0434, 0.0000};
// The lobe's width around the tube by the offset along the ring: it spreads
// as it sinks, to at most 1.12.
const double widthX[] = {0, 4, 6, 8, 10, 12, 15.46875};
const double widthY[] = {1.0000, 0.9822, 1.0604, 1.0847, 1.1200, 1.0654, 1.1200};
const double alongReach = 15.46875;
const double aroundReach = 56.0;

ProfileCurve alongCurve, aroundCurve, widthCurve;

// Wraps an angle difference in degrees to [-180, 180).
double wrapDegrees(double a) {
    a = std::fmod(a + 180.0, 360.0);
    if (a < 0) a += 360.0;
    return a - 180.0;
}

double bareTube(double phi) {
    double c2 = std::cos(phi * degree);
    c2 *= c2;
    return tubeHalfHeight - (tubeHalfHeight - tubeHalfWidth) * (c2 * c2) * (c2 * c2);
}

double tubeDistance(double theta, double phi) {
    double d = bareTube(phi);
    for (int k = 0; k < stationCount; ++k) {
        double along = std::fabs(wrapDegrees(theta - (firstStation + stationStep * k)));
        if (along >= alongReach) continue;
        double height = profileValue(alongCurve, along), width = profileValue(widthCurve, along);
        for (int side = 0; side < 2; ++side) {
            double lobe = firstLobe + lobeTurn * k + 180.0 * side;
            double around = std::fabs(wrapDegrees(phi - lobe)) / width;
            if (around >= aroundReach) continue;
            d += (crestDistance - bareTube(lobe)) * height * profileValue(aroundCurve, around);
        }
    }
    return d;
}

Point3 ringPoint(double theta, double phi) {
    double d = tubeDistance(theta, phi);
    double rho = lobeLineRadius + d * std::cos(phi * degree);
    return {rho * std::cos(theta * degree), d * std::sin(phi * degree),
            rho * std::sin(theta * degree)};
}

}  // namespace

void buildRingSurface(QuadSurface* out) {
    buildProfileCurve(&alongCurve, alongX, alongY, int(sizeof alongX / sizeof alongX[0]));
    buildProfileCurve(&aroundCurve, aroundX, aroundY, int(sizeof aroundX / sizeof aroundX[0]));
    buildProfileCurve(&widthCurve, widthX, widthY, int(sizeof widthX / sizeof widthX[0]));
    const double ringStep = 360.0 / ringSteps, tubeStep = 360.0 / tubeSteps;

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    out->points.reserve(ringSteps * tubeSteps);
    for (int i = 0; i < ringSteps; ++i)
        for (int j = 0; j < tubeSteps; ++j)
            out->points.push_back(ringPoint(i * ringStep, j * tubeStep));

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
