// Points of the blob's domain: surface points placed exactly on the mirror
// planes of the lines they lie on, so that their mirror images, and the
// copies that neighbouring domains and faces compute, coincide to the last
// bit; and the centre point of a quad.
#include "blob_domain.h"

#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>

namespace {

// The point over bilinear coordinates (a, b) of a quad's patch of face
// coordinates: corners 0, 1, 2, 3 at (0,0), (1,0), (1,1), (0,1).
void patchPoint(Point3* s, Point3* su, Point3* sv, const double u[4], const double v[4], double a,
                double b) {
    double pu = (1 - b) * ((1 - a) * u[0] + a * u[1]) + b * ((1 - a) * u[3] + a * u[2]);
    double pv = (1 - b) * ((1 - a) * v[0] + a * v[1]) + b * ((1 - a) * v[3] + a * v[2]);
    blobFacePoint(s, su, sv, pu, pv);
}

}  // namespace

Point3 surf(double u, double v) {
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, u, v);
    return p;
}

Point3 domainSurfacePoint(double u, double v) {
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, u, v);
    if (u == 0) p.y = 0;
    if (u == v) p.y = p.z = (p.y + p.z) / 2;
    if (u == 1)
        p.x = p.y = p.z = (p.x + p.y + p.z) / 3;
    else if (v == 1)
        p.z = p.x = (p.x + p.z) / 2;
    return p;
}

// Gauss-Newton steps over the patch's bilinear coordinates (a, b) towards
// the point nearest the corners' mean, kept off the patch's rim so that the
// four triangles around it cannot fold.
Point3 domainQuadCentre(const double u[4], const double v[4], const Point3 corner[4]) {
    Point3 mean = mul(add(add(corner[0], corner[1]), add(corner[2], corner[3])), 0.25);
    double a = 0.5, b = 0.5;
    Point3 s, su, sv;
    for (int step = 0; step < 8; ++step) {
        double ua = (1 - b) * (u[1] - u[0]) + b * (u[2] - u[3]);
        double va = (1 - b) * (v[1] - v[0]) + b * (v[2] - v[3]);
        double ub = (1 - a) * (u[3] - u[0]) + a * (u[2] - u[1]);
        double vb = (1 - a) * (v[3] - v[0]) + a * (v[2] - v[1]);
        patchPoint(&s, &su, &sv, u, v, a, b);
        Point3 sa = add(mul(su, ua), mul(sv, va)), sb = add(mul(su, ub), mul(sv, vb));
        Point3 miss = sub(mean, s);
        double aa = dot(sa, sa), ab = dot(sa, sb), bb = dot(sb, sb);
        double ra = dot(sa, miss), rb = dot(sb, miss), det = aa * bb - ab * ab;
        if (det <= 0) break;
        a = std::clamp(a + (bb * ra - ab * rb) / det, 0.1, 0.9);
        b = std::clamp(b + (aa * rb - ab * ra) / det, 0.1, 0.9);
    }
    patchPoint(&s, &su, &sv, u, v, a, b);
    return s;
}
