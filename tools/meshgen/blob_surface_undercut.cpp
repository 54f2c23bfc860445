// The blob's undercut: every point of the radius field moves sideways,
// uphill, keeping its distance from the origin, so that the upper walls of
// the pits and ridges lean out over their feet.
//
// A point moves by an angle that grows with the cube of the slope beneath
// it: far on the steep walls, hardly at all on the plateaus, floors and
// crests. Towards a rim the slope, and with it the shift, falls off faster
// than the wall climbs, so the wall's upper part leans over its lower part
// and faces the origin there, while every distance from the origin stays
// that of the radius field. The shift fades out around the table's
// directions, so that each still meets the surface once, at its radius; and
// three bounds keep the surface from crossing itself:
// - the crest ahead: both flanks of a narrow ridge lean towards its crest,
//   and must not meet beneath it;
// - the contour's bend: where a contour curves around higher ground it
//   shrinks as it moves, and would fold over itself;
// - the cube's mirror planes: past one lies the point's own mirror image.
// Each bound enters as a smooth minimum, so the shift stays smooth.
#include "blob_surface_field.h"
#include "bspline.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// Radians of shift per cubed radian-slope. Measured on this field: this
// turns 11.0 % of the blob mesh's triangles towards the origin. The bound on the way to
// the table directions ahead keeps the walls off them; without it two
// thirds of this reach over none, but as much as this reaches over six
// beside the central and outer pits.
constexpr double undercutScale = 1.5e-4;
// Angle over which the shift fades out around each table direction: the
// point there stays where the radius field has it, and so does the rest of
// its neighbourhood, far enough that no leaning wall reaches over it. Pinning
// the points instead by a share of their angle to the nearest table
// direction holds the walls tighter but flutes them: the shift then varies
// sharply along the contours, and every pit's walls shade in radial streaks.
constexpr double tableClearance = 0.04;
// Share of the way to a table direction straight ahead that a point may
// move.
constexpr double aheadShare = 0.9;
// Shares of the angle to the crest ahead and of the contour's radius.
constexpr double crestShare = 0.7;
constexpr double contourShare = 0.4;
// Share of the angle to a mirror plane that a point keeps.
constexpr double mirrorKeep = 0.3;

double dot3(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Smooth minimum of a and b (both positive): the larger the power, the
// closer to the minimum.
double softMin(double a, double b, double power) {
    return std::pow(std::pow(a, -power) + std::pow(b, -power), -1 / power);
}

// The table's directions near d, on this face and on its neighbours (as
// the mirror images of this face's ones across the border planes), with
// the point's uphill direction ahead: returns the fade, 1 away from the
// table's directions falling smoothly to 0 at each (the product over the
// nearby ones of 1 - exp(-(angle / tableClearance)^2)), and in *bound the
// shift that keeps the point short of every table direction ahead of it.
double tableMask(double* bound, double u, double v, Point3 d, Point3 ahead) {
    double m = 1;
    *bound = 1;
    for (int mirror = 0; mirror < 4; ++mirror) {
        bool acrossU = mirror & 1, acrossV = mirror & 2;
        if ((acrossU && std::fabs(u) < 0.7) || (acrossV && std::fabs(v) < 0.7)) continue;
        Point3 e = d, f = ahead;
        if (acrossU) {
            double s = u > 0 ? 1 : -1;
            e = {s * e.y, s * e.x, e.z};
            f = {s * f.y, s * f.x, f.z};
        }
        if (acrossV) {
            double s = v > 0 ? 1 : -1;
            e = {s * e.z, e.y, s * e.x};
            f = {s * f.z, f.y, s * f.x};
        }
        int ci = int(std::lround(10 * e.y / e.x)), cj = int(std::lround(10 * e.z / e.x));
        for (int i = std::max(-10, ci - 3); i <= std::min(10, ci + 3); ++i)
            for (int j = std::max(-10, cj - 3); j <= std::min(10, cj + 3); ++j) {
                double nu = 0.1 * i, nv = 0.1 * j, nn = std::sqrt(1 + nu * nu + nv * nv);
                Point3 t{1 / nn, nu / nn, nv / nn};
                double angle = std::acos(std::min(1.0, dot3(e, t)));
                m *= 1 - std::exp(-(angle * angle) / (tableClearance * tableClearance));
                // A point that moves past a table direction carries the wall
                // over it, and the ray there crosses the fold three times:
                // the shift stays below a share of the way to it. The bound
                // grows as the direction turns aside from the path, without
                // limit where it lies square to it, so the shift stays smooth.
                double along = dot3(t, f);
                if (along <= 0) continue;
                double apart = std::sqrt(std::max(0.0, 1 - dot3(t, e) * dot3(t, e)));
                *bound = softMin(*bound, aheadShare * apart * apart * apart / (along * along), 8);
            }
    }
    return m;
}

// Angle from (u, v) uphill, along the face coordinates' direction (su, sv),
// to where the radius stops rising (at most reach), found by marching;
// scale is radians per face unit along the way.
double crestAngle(double u, double v, double su, double sv, double scale) {
    const double step = 0.004, reach = 0.2;
    double len = std::sqrt(su * su + sv * sv);
    double eu = su / len, ev = sv / len;
    double r, ru, rv;
    blobRadius(&r, &ru, &rv, u, v);
    double before = ru * eu + rv * ev;
    for (double t = step; t < reach / scale; t += step) {
        double pu = u + t * eu, pv = v + t * ev;
        if (std::fabs(pu) > 1.1 || std::fabs(pv) > 1.1) break;
        blobRadius(&r, &ru, &rv, pu, pv);
        double rise = ru * eu + rv * ev;
        if (rise <= 0) return (t - step + step * before / (before - rise)) * scale;
        before = rise;
    }
    return reach;
}

Point3 undercutPoint(double u, double v) {
    double r, ru, rv, second[3];
    blobRadius(&r, &ru, &rv, u, v, second);
    double n2 = 1 + u * u + v * v, n = std::sqrt(n2), n3 = n2 * n;
    Point3 d{1 / n, u / n, v / n};
    Point3 du{-u / n3, 1 / n - u * u / n3, -u * v / n3};
    Point3 dv{-v / n3, -u * v / n3, 1 / n - v * v / n3};
    // Gradient of the radius over the unit sphere: the tangent vector g with
    // g . du = ru and g . dv = rv; (su, sv) are its face coordinates.
    double a = dot3(du, du), b = dot3(du, dv), c = dot3(dv, dv), det = a * c - b * b;
    double su = (c * ru - b * rv) / det, sv = (a * rv - b * ru) / det;
    Point3 g{su * du.x + sv * dv.x, su * du.y + sv * dv.y, su * du.z + sv * dv.z};
    double slope = std::sqrt(dot3(g, g));
    if (slope == 0) return {r * d.x, r * d.y, r * d.z};
    Point3 ahead{g.x / slope, g.y / slope, g.z / slope};
    double scale = slope / std::sqrt(su * su + sv * sv);  // radians per face unit uphill

    double shift = undercutScale * slope * slope * slope;
    double tableBound;
    shift *= tableMask(&tableBound, u, v, d, ahead);
    shift = softMin(shift, tableBound, 8);
    shift = softMin(shift, crestShare * crestAngle(u, v, su, sv, scale), 8);
    double g2 = ru * ru + rv * rv;
    double bend = (second[0] * rv * rv - 2 * second[1] * ru * rv + second[2] * ru * ru) /
                  (g2 * std::sqrt(g2));
    if (bend < 0) shift = softMin(shift, contourShare * scale / -bend, 8);
    const double h = 0.70710678118654752;
    const Point3 planes[9] = {{0, 1, 0}, {0, 0, 1},  {0, h, -h}, {0, h, h}, {h, -h, 0},
                              {h, h, 0}, {h, 0, -h}, {h, 0, h},  {1, 0, 0}};
    for (const Point3& m : planes) {
        double side = dot3(d, m), toward = dot3(ahead, m);
        if (side * toward < 0)
            shift = softMin(shift, (1 - mirrorKeep) * std::fabs(side / toward), 8);
    }

    Point3 q{d.x + shift * ahead.x, d.y + shift * ahead.y, d.z + shift * ahead.z};
    double s = r / std::sqrt(dot3(q, q));
    return {q.x * s, q.y * s, q.z * s};
}

// The shift tabulated as offsets of the face coordinates on a raster, read
// back through a cubic B-spline: a smooth surface with derivatives in closed
// form, cheap enough to evaluate at every grid point and in every search for
// a quad's centre.
constexpr double rasterStep = 1.0 / 256;
constexpr int rasterHalf = 259;  // three samples beyond the face's border
constexpr int rasterSide = 2 * rasterHalf + 1;

struct ShiftRaster {
    bool ready = false;
    std::vector<double> du, dv;  // index (i + rasterHalf) * rasterSide + j + rasterHalf
};

ShiftRaster raster;

// Face coordinates of the moved point of (u, v), which may lie up to a few
// samples beyond the face's border: there it is the mirror image of the
// point it mirrors.
void shiftedCoordinates(double* su, double* sv, double u, double v) {
    bool acrossU = std::fabs(u) > 1, acrossV = std::fabs(v) > 1;
    // Mirror across x = +-y (and x = +-z): (1, u, v) becomes (u, 1, v) up to sign.
    double mu = u, mv = v;
    if (acrossU) {
        mv = v / std::fabs(u);
        mu = 1 / u;
    }
    if (acrossV) {
        mu = mu / std::fabs(mv);
        mv = 1 / mv;
    }
    Point3 p = undercutPoint(mu, mv);
    if (acrossV) {
        double s = mv > 0 ? 1 : -1;
        p = {s * p.z, p.y, s * p.x};
    }
    if (acrossU) {
        double s = u > 0 ? 1 : -1;
        p = {s * p.y, s * p.x, p.z};
    }
    *su = p.y / p.x;
    *sv = p.z / p.x;
}

void buildRaster() {
    raster.du.assign(size_t(rasterSide) * rasterSide, 0);
    raster.dv.assign(size_t(rasterSide) * rasterSide, 0);
    auto at = [](int i, int j) { return size_t(i + rasterHalf) * rasterSide + (j + rasterHalf); };
    // The eighth 0 <= i <= j, and the rest as its exact mirror images.
    for (int i = 0; i <= rasterHalf; ++i)
        for (int j = i; j <= rasterHalf; ++j) {
            double su, sv;
            shiftedCoordinates(&su, &sv, i * rasterStep, j * rasterStep);
            double ou = i == 0 ? 0 : su - i * rasterStep, ov = sv - j * rasterStep;
            if (i == j) ou = ov = (ou + ov) / 2;
            for (int k = 0; k < 8; ++k) {
                int a = k & 1 ? -i : i, b = k & 2 ? -j : j;
                double pu = k & 1 ? -ou : ou, pv = k & 2 ? -ov : ov;
                if (k & 4) {
                    std::swap(a, b);
                    std::swap(pu, pv);
                }
                raster.du[at(a, b)] = pu;
                raster.dv[at(a, b)] = pv;
            }
        }
    raster.ready = true;
}

// Value and derivatives along u and v of one tabulated offset at (u, v).
void sampleRaster(double out[3], const std::vector<double>& table, double u, double v) {
    double s[6];
    bsplineSample(s, table.data(), rasterHalf, rasterStep, u, v);
    std::copy(s, s + 3, out);
}

}  // namespace

void blobFacePoint(Point3* p, Point3* pu, Point3* pv, double u, double v) {
    if (!raster.ready) buildRaster();
    double r, ru, rv;
    blobRadius(&r, &ru, &rv, u, v);
    double ou[3], ov[3];
    sampleRaster(ou, raster.du, u, v);
    sampleRaster(ov, raster.dv, u, v);
    // The moved direction (1, U, V) and the derivatives of U and V.
    double U = u + ou[0], V = v + ov[0];
    double Uu = 1 + ou[1], Uv = ou[2], Vu = ov[1], Vv = 1 + ov[2];
    double n2 = 1 + U * U + V * V, n = std::sqrt(n2), n3 = n2 * n;
    Point3 d{1 / n, U / n, V / n};
    Point3 dU{-U / n3, 1 / n - U * U / n3, -U * V / n3};
    Point3 dV{-V / n3, -U * V / n3, 1 / n - V * V / n3};
    *p = {r * d.x, r * d.y, r * d.z};
    *pu = {ru * d.x + r * (dU.x * Uu + dV.x * Vu), ru * d.y + r * (dU.y * Uu + dV.y * Vu),
           ru * d.z + r * (dU.z * Uu + dV.z * Vu)};
    *pv = {rv * d.x + r * (dU.x * Uv + dV.x * Vv), rv * d.y + r * (dU.y * Uv + dV.y * Vv),
           rv * d.z + r * (dU.z * Uv + dV.z * Vv)};
}
