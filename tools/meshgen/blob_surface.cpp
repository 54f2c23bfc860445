// The blob: a closed, relief-covered surface with the symmetry of a cube. One
// face's quad grid is laid over the surface, cut finer across the band pits'
// walls, and the six faces are its images under the quarter turns that carry
// +X to each face.
#include "quad_surface.h"

#include "blob_surface_field.h"
#include "blob_surface_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

// Quads along each side of a face's grid: 6 * 148^2 = 131424, and 151872
// in all once the band pits' walls are cut finer.
constexpr int faceCells = 148;

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

// Quads across a steep wall of a band pit span far more surface than those
// beside it, and one grid per face cannot crowd its lines onto every wall
// at once. Where a pair of neighbouring rows of quads beyond |v| = 0.5 (or,
// as their mirror images across the face's diagonal, columns beyond
// |u| = 0.5) has sides longer than this, an extra line runs through the
// middle of each row, halving its quads, and the two lines end in a fork
// at each end of the run: they meet the next grid line at one point, which
// they pull towards them, so that corner is shared by three quads and the
// point across the fork by five.
constexpr double splitLength = 0.056;

struct FaceMesh {
    std::vector<Point3> points; // the grid's points first, row by row
    std::vector<std::array<uint32_t, 4>> quads;
    std::vector<Point3> centres;
    std::vector<uint32_t> gridQuadOf; // for each quad, i * n + j of the grid quad it lies in
};

double distance(Point3 a, Point3 b) {
    // Summed so that swapping y and z gives the same bits.
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + (dy * dy + dz * dz));
}

void refineFace(FaceMesh* out, int n, const std::vector<Point3>& gridPoint,
                const std::vector<double>& gridU, const std::vector<double>& gridV,
                const std::vector<Point3>& gridCentre) {
    const int side = n + 1;
    std::vector<double> u = gridU, v = gridV;
    out->points = gridPoint;
    // The quads that replace each grid quad, if any.
    std::vector<std::vector<std::array<uint32_t, 4>>> pieces(n * n);
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> middle;
    auto midpoint = [&](uint32_t a, uint32_t b) {
        auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto found = middle.find(key);
        if (found != middle.end())
            return found->second;
        double mu = (u[a] + u[b]) / 2, mv = (v[a] + v[b]) / 2;
        Point3 p, pu, pv;
        blobFacePoint(&p, &pu, &pv, mu, mv);
        uint32_t k = uint32_t(out->points.size());
        out->points.push_back(p);
        u.push_back(mu);
        v.push_back(mv);
        middle.emplace(key, k);
        return k;
    };
    // Grid point (a, b) of a strip running along a, across b: for rows a is
    // the index along u; for columns the roles swap, and so does the winding.
    for (int transposed = 0; transposed < 2; ++transposed) {
        auto at = [&](int a, int b) { return uint32_t(transposed ? b * side + a : a * side + b); };
        // A quad that replaces part of grid quad (a, b).
        auto quad = [&](int a, int b, uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3) {
            auto& list = pieces[transposed ? b * n + a : a * n + b];
            if (transposed)
                list.push_back({p0, p3, p2, p1});
            else
                list.push_back({p0, p1, p2, p3});
        };
        auto side2 = [&](int a, int b) { // length of the side from (a, b) to (a, b + 1)
            double longest = 0;
            // The same for the face's mirror images, so the choice is symmetric.
            for (int m = 0; m < 4; ++m) {
                int ma = m & 1 ? n - a : a, b0 = m & 2 ? n - b : b, b1 = m & 2 ? n - b - 1 : b + 1;
                longest = std::max(longest, distance(gridPoint[at(ma, b0)], gridPoint[at(ma, b1)]));
            }
            return longest;
        };
        std::vector<std::pair<uint32_t, uint32_t>> moves;
        for (int b = 0; b + 1 < n; b += 2) {
            // Pairs (b, b + 1) are mirror images of pairs across the middle
            // when n is even.
            std::vector<bool> need(n, false);
            for (int a = 1; a + 1 < n; ++a) {
                // Over the pair's four outer corners, so that mirror images
                // decide alike.
                double across = 2, along = 0;
                for (uint32_t c : {at(a, b), at(a + 1, b), at(a, b + 2), at(a + 1, b + 2)}) {
                    across = std::min(across, std::fabs(transposed ? gridU[c] : gridV[c]));
                    along = std::max(along, std::fabs(transposed ? gridV[c] : gridU[c]));
                }
                if (across < 0.5 || across < along + 0.05)
                    continue;
                double longest =
                    std::max({side2(a, b), side2(a + 1, b), side2(a, b + 1), side2(a + 1, b + 1)});
                need[a] = longest > splitLength;
            }
            // Gaps of one quad closed (a fork needs a quad of its own), and
            // the forks inside the face.
            std::vector<bool> wanted = need;
            for (int a = 1; a + 1 < n; ++a)
                if (wanted[a - 1] && wanted[a + 1])
                    need[a] = true;
            int a = 0;
            while (a < n) {
                if (!need[a]) {
                    ++a;
                    continue;
                }
                int a0 = a;
                while (a < n && need[a])
                    ++a;
                int a1 = a - 1;
                if (a0 < 2 || a1 > n - 3)
                    continue;
                for (int c = a0; c <= a1; ++c)
                    for (int r = b; r <= b + 1; ++r) {
                        uint32_t low = midpoint(at(c, r), at(c, r + 1));
                        uint32_t high = midpoint(at(c + 1, r), at(c + 1, r + 1));
                        quad(c, r, at(c, r), at(c + 1, r), high, low);
                        quad(c, r, low, high, at(c + 1, r + 1), at(c, r + 1));
                    }
                // Fork after the run, in column a1 + 1, and before it, in a0 - 1.
                {
                    int c = a1 + 1;
                    uint32_t m0 = midpoint(at(c, b), at(c, b + 1)),
                             m1 = midpoint(at(c, b + 1), at(c, b + 2));
                    quad(c, b, at(c, b), at(c + 1, b), at(c + 1, b + 1), m0);
                    quad(c, b, m0, at(c + 1, b + 1), m1, at(c, b + 1));
                    quad(c, b + 1, m1, at(c + 1, b + 1), at(c + 1, b + 2), at(c, b + 2));
                    moves.push_back({at(c, b + 1), at(c - 1, b + 1)});
                }
                {
                    int c = a0 - 1;
                    uint32_t m0 = midpoint(at(c + 1, b), at(c + 1, b + 1));
                    uint32_t m1 = midpoint(at(c + 1, b + 1), at(c + 1, b + 2));
                    quad(c, b, at(c, b), at(c + 1, b), m0, at(c, b + 1));
                    quad(c, b, at(c, b + 1), m0, at(c + 1, b + 1), m1);
                    quad(c, b + 1, at(c, b + 1), m1, at(c + 1, b + 2), at(c, b + 2));
                    moves.push_back({at(c + 1, b + 1), at(c + 2, b + 1)});
                }
            }
        }
        // The forks' meeting points move a third of the way into the run.
        for (auto [from, to] : moves) {
            u[from] = gridU[from] + (gridU[to] - gridU[from]) / 3;
            v[from] = gridV[from] + (gridV[to] - gridV[from]) / 3;
            Point3 pu, pv;
            blobFacePoint(&out->points[from], &pu, &pv, u[from], v[from]);
        }
    }
    // In the grid's order, each replaced quad's pieces in its place: the GPU
    // order walks the grid's rows from there.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            if (pieces[i * n + j].empty()) {
                out->quads.push_back({uint32_t(i * side + j), uint32_t((i + 1) * side + j),
                                      uint32_t((i + 1) * side + j + 1),
                                      uint32_t(i * side + j + 1)});
                out->centres.push_back(gridCentre[i * n + j]);
                out->gridQuadOf.push_back(uint32_t(i * n + j));
                continue;
            }
            for (const auto& piece : pieces[i * n + j]) {
                double qu[4], qv[4];
                Point3 p[4];
                for (int k = 0; k < 4; ++k) {
                    qu[k] = u[piece[k]];
                    qv[k] = v[piece[k]];
                    p[k] = out->points[piece[k]];
                }
                out->quads.push_back(piece);
                out->centres.push_back(quadCentre(qu, qv, p));
                out->gridQuadOf.push_back(uint32_t(i * n + j));
            }
        }
}

// A point of the face's eighth 0 <= u <= v carried to its image: across the
// diagonal (swap), then across the mid-lines (flip).
Point3 mirrorFromEighth(Point3 p, bool swap, bool flipU, bool flipV) {
    if (swap)
        p = {p.x, p.z, p.y};
    if (flipU)
        p.y = -p.y;
    if (flipV)
        p.z = -p.z;
    return p;
}

} // namespace

void buildBlobSurface(QuadSurface* out) {
    BlobFaceGrid grid;
    buildBlobFaceGrid(&grid, faceCells);
    const int n = grid.cells, side = n + 1;

    // Surface points of the eighth 0 <= u <= v, the rest as their exact mirror
    // images, so that the faces' shared borders coincide to the last bit.
    std::vector<Point3> facePoint(side * side);
    std::vector<double> faceU(side * side), faceV(side * side);
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
            facePoint[i * side + j] = mirrorFromEighth(p, swap, flipU, flipV);
            double fu = swap ? v : u, fv = swap ? u : v;
            faceU[i * side + j] = flipU ? -fu : fu;
            faceV[i * side + j] = flipV ? -fv : fv;
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
            faceCentre[i * n + j] = mirrorFromEighth(centre, swap, flipU, flipV);
        }

    FaceMesh mesh;
    refineFace(&mesh, n, facePoint, faceU, faceV, faceCentre);

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    out->gridQuads.clear();
    out->gridQuadOf.clear();
    // Points on a face's border are shared with the neighbouring faces; the
    // grid is exactly mirror-symmetric, so the copies coincide exactly.
    std::map<std::array<double, 3>, uint32_t> border;
    std::vector<uint32_t> index(mesh.points.size());
    for (int face = 0; face < 6; ++face) {
        for (size_t k = 0; k < mesh.points.size(); ++k) {
            Point3 p = rotateToFace(face, mesh.points[k]);
            uint32_t next = uint32_t(out->points.size());
            int i = int(k) / side, j = int(k) % side;
            if (int(k) < side * side && (i == 0 || j == 0 || i == n || j == n)) {
                auto found = border.emplace(std::array<double, 3>{p.x, p.y, p.z}, next);
                if (!found.second) {
                    index[k] = found.first->second;
                    continue;
                }
            }
            index[k] = next;
            out->points.push_back(p);
        }
        uint32_t firstGridQuad = uint32_t(out->gridQuads.size());
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                out->gridQuads.push_back({index[i * side + j], index[(i + 1) * side + j],
                                          index[(i + 1) * side + j + 1], index[i * side + j + 1]});
        for (size_t q = 0; q < mesh.quads.size(); ++q) {
            const auto& c = mesh.quads[q];
            out->quads.push_back({index[c[0]], index[c[1]], index[c[2]], index[c[3]]});
            out->centres.push_back(rotateToFace(face, mesh.centres[q]));
            out->gridQuadOf.push_back(firstGridQuad + mesh.gridQuadOf[q]);
        }
    }
}
