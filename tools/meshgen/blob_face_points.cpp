#include "blob_face_points.h"

#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

double dot(Point3 a, Point3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

Point3 mirrorFromEighth(Point3 p, bool swap, bool flipU, bool flipV) {
    if (swap) p = {p.x, p.z, p.y};
    if (flipU) p.y = -p.y;
    if (flipV) p.z = -p.z;
    return p;
}

Point3 symmetricFacePoint(double u, double v) {
    bool flipU = u < 0, flipV = v < 0;
    double a = std::fabs(u), b = std::fabs(v);
    bool swap = a > b;
    double lo = swap ? b : a, hi = swap ? a : b;
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, lo, hi);
    if (lo == 0) p.y = 0;
    if (lo == hi) p.y = p.z = (p.y + p.z) / 2;
    if (lo == 1)
        p.x = p.y = p.z = (p.x + p.y + p.z) / 3;
    else if (hi == 1)
        p.z = p.x = (p.x + p.z) / 2;
    return mirrorFromEighth(p, swap, flipU, flipV);
}

void facePointAndNormal(Point3* p, Point3* n, double u, double v) {
    Point3 pu, pv;
    blobFacePoint(p, &pu, &pv, u, v);
    Point3 c{pu.y * pv.z - pu.z * pv.y, pu.z * pv.x - pu.x * pv.z, pu.x * pv.y - pu.y * pv.x};
    double l = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    *n = {c.x / l, c.y / l, c.z / l};
}

namespace {

// The point over bilinear coordinates (a, b) of a quad's patch of face
// coordinates: corners 0, 1, 2, 3 at (0,0), (1,0), (1,1), (0,1).
void patchPoint(Point3* s, Point3* su, Point3* sv, const double u[4], const double v[4], double a,
                double b) {
    double pu = (1 - b) * ((1 - a) * u[0] + a * u[1]) + b * ((1 - a) * u[3] + a * u[2]);
    double pv = (1 - b) * ((1 - a) * v[0] + a * v[1]) + b * ((1 - a) * v[3] + a * v[2]);
    blobFacePoint(s, su, sv, pu, pv);
}

Point3 minus(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Point3 cross(Point3 a, Point3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A spoke's shortfall counts this many times its length against the
// centre's distance from the mean: steep enough that the shortfall left is
// a few thousandths of that distance.
constexpr double spokeWeight = 30;

// Whether one of a quad's four triangles around a centre at s faces
// against its diagonals' normal.
bool folds(Point3 s, const Point3 corner[4]) {
    Point3 across = cross(minus(corner[2], corner[0]), minus(corner[3], corner[1]));
    for (int k = 0; k < 4; ++k)
        if (dot(cross(minus(corner[(k + 1) % 4], corner[k]), minus(s, corner[k])), across) <= 0)
            return true;
    return false;
}

// How far a centre at s lies from the corners' mean, squared, with the
// square of weight times the shortfall of each spoke shorter than
// spokeFloor; infinite where one of the quad's triangles would fold.
double centreCost(Point3 s, const Point3 corner[4], Point3 mean) {
    if (folds(s, corner)) return 1e300;
    Point3 off = minus(s, mean);
    double cost = dot(off, off);
    for (int k = 0; k < 4; ++k) {
        double shortfall = std::max(0.0, spokeFloor - pointDistance(s, corner[k]));
        cost += (spokeWeight * shortfall) * (spokeWeight * shortfall);
    }
    return cost;
}

// Gauss-Newton steps over the patch's bilinear coordinates (a, b) towards
// the point nearest the corners' mean; with floor, each spoke shorter than
// spokeFloor adds a steep residual, so that the point keeps that far from
// every corner.
Point3 nearestPatchPoint(double* a, double* b, const double u[4], const double v[4],
                         const Point3 corner[4], Point3 mean, int iterations, bool floor) {
    Point3 s, su, sv;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        double ua = (1 - *b) * (u[1] - u[0]) + *b * (u[2] - u[3]);
        double va = (1 - *b) * (v[1] - v[0]) + *b * (v[2] - v[3]);
        double ub = (1 - *a) * (u[3] - u[0]) + *a * (u[2] - u[1]);
        double vb = (1 - *a) * (v[3] - v[0]) + *a * (v[2] - v[1]);
        patchPoint(&s, &su, &sv, u, v, *a, *b);
        Point3 sa{su.x * ua + sv.x * va, su.y * ua + sv.y * va, su.z * ua + sv.z * va};
        Point3 sb{su.x * ub + sv.x * vb, su.y * ub + sv.y * vb, su.z * ub + sv.z * vb};
        Point3 miss = minus(mean, s);
        double aa = dot(sa, sa), ab = dot(sa, sb), bb = dot(sb, sb);
        double ra = dot(sa, miss), rb = dot(sb, miss);
        for (int k = 0; k < 4 && floor; ++k) {
            Point3 out = minus(s, corner[k]);
            double spoke = std::sqrt(dot(out, out));
            if (spoke >= spokeFloor) continue;
            // The residual spokeWeight * (spokeFloor - spoke) and its slopes.
            double ja = -spokeWeight * dot(out, sa) / spoke,
                   jb = -spokeWeight * dot(out, sb) / spoke;
            double r = spokeWeight * (spokeFloor - spoke);
            aa += ja * ja, ab += ja * jb, bb += jb * jb;
            ra -= ja * r, rb -= jb * r;
        }
        double det = aa * bb - ab * ab;
        if (det <= 0) break;
        *a = std::clamp(*a + (bb * ra - ab * rb) / det, 0.1, 0.9);
        *b = std::clamp(*b + (aa * rb - ab * ra) / det, 0.1, 0.9);
    }
    patchPoint(&s, &su, &sv, u, v, *a, *b);
    return s;
}

// The centre point of quadCentre, found as it stands.
Point3 patchCentre(const double u[4], const double v[4], const Point3 corner[4]) {
    Point3 mean{0, 0, 0};
    for (int k = 0; k < 4; ++k)
        mean = {mean.x + corner[k].x / 4, mean.y + corner[k].y / 4, mean.z + corner[k].z / 4};
    double a = 0.5, b = 0.5;
    Point3 s = nearestPatchPoint(&a, &b, u, v, corner, mean, 8, false);
    // In a quad sheared into a thin rhombus the two near corners almost
    // touch, and a centre between them leaves two spokes too short. A step
    // along the long diagonal lengthens them at little cost in distance from
    // the mean.
    double shortest = 1;
    for (int k = 0; k < 4; ++k) shortest = std::min(shortest, pointDistance(s, corner[k]));
    if (shortest >= spokeFloor) return s;
    // Right between the near corners the spokes' lengths have no slope
    // along the long diagonal, where Gauss-Newton steps would stall: a
    // pattern search over (a, b) first finds the way off the middle, and
    // Gauss-Newton steps then settle on the best point exactly, so that
    // mirror images of a quad get mirrored centres.
    double cost = centreCost(s, corner, mean);
    for (double step = 0.04; step > 1e-3;) {
        bool moved = false;
        for (int d = 0; d < 8 && !moved; ++d) {
            static const int da[8] = {1, 0, -1, 0, 1, -1, -1, 1};
            static const int db[8] = {0, 1, 0, -1, 1, 1, -1, -1};
            double ta = std::clamp(a + step * da[d], 0.1, 0.9);
            double tb = std::clamp(b + step * db[d], 0.1, 0.9);
            Point3 t, tu, tv;
            patchPoint(&t, &tu, &tv, u, v, ta, tb);
            double c = centreCost(t, corner, mean);
            if (c < cost) a = ta, b = tb, s = t, cost = c, moved = true;
        }
        if (!moved) step /= 2;
    }
    Point3 settled = nearestPatchPoint(&a, &b, u, v, corner, mean, 12, true);
    return centreCost(settled, corner, mean) <= cost ? settled : s;
}

}  // namespace

double canonicalSum(double a, double b, double c, double d) {
    double x[4] = {a, b, c, d};
    std::sort(x, x + 4, [](double p, double q) { return std::fabs(p) < std::fabs(q); });
    return ((x[0] + x[1]) + x[2]) + x[3];
}

Point3 quadCentre(const double u[4], const double v[4], const Point3 corner[4]) {
    // The mirror image of the quad whose middle lies in the eighth
    // 0 <= u <= v, with its corners counter-clockwise from the one with
    // least (u, v): every image of a quad becomes the same one, and its
    // centre, found there, is carried back.
    double mu = canonicalSum(u[0], u[1], u[2], u[3]), mv = canonicalSum(v[0], v[1], v[2], v[3]);
    bool flipU = mu < 0;
    bool flipV = mv < 0;
    bool swap = std::fabs(mu) > std::fabs(mv);
    double cu[4], cv[4];
    Point3 cp[4];
    for (int k = 0; k < 4; ++k) {
        double a = flipU ? -u[k] : u[k], b = flipV ? -v[k] : v[k];
        Point3 p{corner[k].x, flipU ? -corner[k].y : corner[k].y,
                 flipV ? -corner[k].z : corner[k].z};
        cu[k] = swap ? b : a, cv[k] = swap ? a : b;
        cp[k] = swap ? Point3{p.x, p.z, p.y} : p;
    }
    bool reversed = (flipU != flipV) != swap;
    int first = 0;
    for (int k = 1; k < 4; ++k)
        if (std::make_pair(cu[k], cv[k]) < std::make_pair(cu[first], cv[first])) first = k;
    double ou[4], ov[4];
    Point3 op[4];
    for (int k = 0; k < 4; ++k) {
        int from = reversed ? (first + 4 - k) % 4 : (first + k) % 4;
        ou[k] = cu[from], ov[k] = cv[from], op[k] = cp[from];
    }
    Point3 c = patchCentre(ou, ov, op);
    return mirrorFromEighth(c, swap, flipU, flipV);
}

double pointDistance(Point3 a, Point3 b) {
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + (dy * dy + dz * dz));
}
