#include "blob_face_points.h"

#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>

namespace {

double dot(Point3 a, Point3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

Point3 mirrorFromEighth(Point3 p, bool swap, bool flipU, bool flipV) {
    if (swap)
        p = {p.x, p.z, p.y};
    if (flipU)
        p.y = -p.y;
    if (flipV)
        p.z = -p.z;
    return p;
}

Point3 symmetricFacePoint(double u, double v) {
    bool flipU = u < 0, flipV = v < 0;
    double a = std::fabs(u), b = std::fabs(v);
    bool swap = a > b;
    double lo = swap ? b : a, hi = swap ? a : b;
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, lo, hi);
    if (lo == 0)
        p.y = 0;
    if (lo == hi)
        p.y = p.z = (p.y + p.z) / 2;
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

Point3 quadCentre(const double u[4], const double v[4], const Point3 corner[4]) {
    Point3 mean{0, 0, 0};
    for (int k = 0; k < 4; ++k)
        mean = {mean.x + corner[k].x / 4, mean.y + corner[k].y / 4, mean.z + corner[k].z / 4};
    // Bilinear patch over (a, b) in [0, 1]^2: corners 0, 1, 2, 3 at (0,0), (1,0), (1,1), (0,1).
    double a = 0.5, b = 0.5;
    Point3 s{0, 0, 0};
    for (int iteration = 0; iteration < 8; ++iteration) {
        double pu = (1 - b) * ((1 - a) * u[0] + a * u[1]) + b * ((1 - a) * u[3] + a * u[2]);
        double pv = (1 - b) * ((1 - a) * v[0] + a * v[1]) + b * ((1 - a) * v[3] + a * v[2]);
        double ua = (1 - b) * (u[1] - u[0]) + b * (u[2] - u[3]);
        double va = (1 - b) * (v[1] - v[0]) + b * (v[2] - v[3]);
        double ub = (1 - a) * (u[3] - u[0]) + a * (u[2] - u[1]);
        double vb = (1 - a) * (v[3] - v[0]) + a * (v[2] - v[1]);
        Point3 su, sv;
        blobFacePoint(&s, &su, &sv, pu, pv);
        Point3 sa{su.x * ua + sv.x * va, su.y * ua + sv.y * va, su.z * ua + sv.z * va};
        Point3 sb{su.x * ub + sv.x * vb, su.y * ub + sv.y * vb, su.z * ub + sv.z * vb};
        Point3 miss{mean.x - s.x, mean.y - s.y, mean.z - s.z};
        double aa = dot(sa, sa), ab = dot(sa, sb), bb = dot(sb, sb);
        double ra = dot(sa, miss), rb = dot(sb, miss), det = aa * bb - ab * ab;
        if (det <= 0)
            break;
        a = std::clamp(a + (bb * ra - ab * rb) / det, 0.1, 0.9);
        b = std::clamp(b + (aa * rb - ab * ra) / det, 0.1, 0.9);
    }
    double pu = (1 - b) * ((1 - a) * u[0] + a * u[1]) + b * ((1 - a) * u[3] + a * u[2]);
    double pv = (1 - b) * ((1 - a) * v[0] + a * v[1]) + b * ((1 - a) * v[3] + a * v[2]);
    Point3 su, sv;
    blobFacePoint(&s, &su, &sv, pu, pv);
    return s;
}

double pointDistance(Point3 a, Point3 b) {
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + (dy * dy + dz * dz));
}
