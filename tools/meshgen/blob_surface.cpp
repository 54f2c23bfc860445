// The blob: a closed, relief-covered surface with the symmetry of a cube. One
// face's quad grid is laid over the radius field, and the six faces are its
// images under the quarter turns that carry +X to each face.
#include "quad_surface.h"

#include "blob_surface_field.h"
#include "blob_surface_grid.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

// Quads along each side of a face: 6 * 156^2 = 146016 quads in all.
constexpr int faceCells = 156;

// Rotations carrying the +X face onto the six faces: the identity, the two
// cyclic turns about (1, 1, 1), and each of those after a half turn about Z.
Point3 rotateToFace(int face, Point3 p) {
    if (face >= 3)
        p = {-p.x, -p.y, p.z};
    switch (face % 3) {
    case 1:
        return {p.z, p.x, p.y};
    case 2:
        return {p.y, p.z, p.x};
    default:
        return p;
    }
}

double dot(Point3 a, Point3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The surface point at the middle of a grid quad: the point of the surface,
// over the quad's own patch of face coordinates, nearest to the mean of its
// four corners. Staying within the patch keeps the four triangles around it
// from folding where the quad spans a steep wall.
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

} // namespace

void buildBlobSurface(QuadSurface* out) {
    BlobFaceGrid grid;
    buildBlobFaceGrid(&grid, faceCells);
    const int n = grid.cells, side = n + 1;

    // Surface points of the eighth 0 <= u <= v, the rest as their exact mirror
    // images, so that the faces' shared borders coincide to the last bit.
    std::vector<Point3> facePoint(side * side);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            bool flipU = 2 * i < n, flipV = 2 * j < n;
            int a = flipU ? n - i : i, b = flipV ? n - j : j;
            bool swap = a > b;
            int lo = swap ? b : a, hi = swap ? a : b, k = lo * side + hi;
            // Points on the mirror lines sit exactly on them.
            double u = 2 * lo == n ? 0.0 : (lo == n ? 1.0 : grid.u[k]);
            double v = hi == n ? 1.0 : (lo == hi ? u : grid.v[k]);
            Point3 p, su, sv;
            blobFacePoint(&p, &su, &sv, u, v);
            // Points on the mirror planes stay on them to the last bit, so
            // that their images coincide.
            if (2 * lo == n)
                p.y = 0;
            if (lo == hi)
                p.y = p.z = (p.y + p.z) / 2;
            if (lo == n)
                p.x = p.y = p.z = (p.x + p.y + p.z) / 3;
            else if (hi == n)
                p.z = p.x = (p.x + p.z) / 2;
            if (swap)
                p = {p.x, p.z, p.y};
            if (flipU)
                p.y = -p.y;
            if (flipV)
                p.z = -p.z;
            facePoint[i * side + j] = p;
        }
    // Centre points likewise: those of the quads of the eighth, and their
    // mirror images.
    std::vector<Point3> faceCentre(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            bool flipU = 2 * i < n, flipV = 2 * j < n;
            int a = flipU ? n - 1 - i : i, b = flipV ? n - 1 - j : j;
            bool swap = a > b;
            int lo = swap ? b : a, hi = swap ? a : b;
            // Counter-clockwise seen from outside: first along +Y, then along +Z.
            int c[4] = {lo * side + hi, (lo + 1) * side + hi, (lo + 1) * side + hi + 1,
                        lo * side + hi + 1};
            double u[4], v[4];
            Point3 p[4];
            for (int k = 0; k < 4; ++k) {
                u[k] = grid.u[c[k]];
                v[k] = grid.v[c[k]];
                p[k] = facePoint[c[k]];
            }
            Point3 centre = quadCentre(u, v, p);
            if (lo == hi)
                centre.y = centre.z = (centre.y + centre.z) / 2;
            if (swap)
                centre = {centre.x, centre.z, centre.y};
            if (flipU)
                centre.y = -centre.y;
            if (flipV)
                centre.z = -centre.z;
            faceCentre[i * n + j] = centre;
        }

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    // Points on a face's border are shared with the neighbouring faces; the
    // grid is exactly mirror-symmetric, so the copies coincide exactly.
    std::map<std::array<double, 3>, uint32_t> border;
    std::vector<uint32_t> index(side * side);
    for (int face = 0; face < 6; ++face) {
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j) {
                Point3 p = rotateToFace(face, facePoint[i * side + j]);
                uint32_t next = uint32_t(out->points.size());
                if (i == 0 || j == 0 || i == n || j == n) {
                    auto found = border.emplace(std::array<double, 3>{p.x, p.y, p.z}, next);
                    if (!found.second) {
                        index[i * side + j] = found.first->second;
                        continue;
                    }
                }
                index[i * side + j] = next;
                out->points.push_back(p);
            }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                out->quads.push_back({index[i * side + j], index[(i + 1) * side + j],
                                      index[(i + 1) * side + j + 1], index[i * side + j + 1]});
                out->centres.push_back(rotateToFace(face, faceCentre[i * n + j]));
            }
    }
}
