// The blob: a closed, relief-covered surface with the symmetry of a cube. One
// face's quad grid is laid over the surface, cut finer where its quads run
// long over the walls or bend too far to keep their centres near their
// corners, and the six faces are its images under the quarter turns that
// carry +X to each face.
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

// Quads along each side of a face's grid: 6 * 148^2 = 131424, and 151968
// in all once the grid is cut finer.
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

// The surface point at face coordinates (u, v), found in the eighth
// 0 <= u <= v and carried back, so that mirror images, and the copies of a
// border point that two faces compute, agree to the last bit. Points on the
// mirror lines sit exactly on them.
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

// Quads across the steep walls span far more surface than those beside
// them, and one grid per face cannot crowd its lines onto every wall at
// once. Where a pair of neighbouring rows of grid quads has sides across the
// rows longer than splitLength, or a quad whose centre lies further than
// centreLimit from its corners' mean is halved closer along the rows than
// along the columns, an extra line runs through the middle of each row of
// the pair, halving its quads; likewise for pairs of columns, and where a
// row's lines cross a column's the quad is cut in four. The two lines of a
// pair end in a fork at each end of their run: they meet the next grid line
// at one point, which they pull towards them, so that corner is shared by
// three quads and the point across the fork by five. A run that reaches the
// face's border goes on over it: the neighbouring face cuts the same quads,
// as the image of this one.
//
// Both limits spend the quad budget (at most 152,000): measured, these keep
// every centre within 0.006 of its corners' mean and 99.6 % within 0.003,
// and leave about one edge in thirty-five longer than 0.056. Cutting every side
// longer than 0.056 leaves one in two hundred, but takes 203,000 quads.
constexpr double splitLength = 0.085;
constexpr double centreLimit = 0.0032;

struct FaceMesh {
    std::vector<Point3> points; // the grid's points first, row by row
    std::vector<char> onBorder; // per point: it lies on the face's border
    std::vector<std::array<uint32_t, 4>> quads;
    std::vector<Point3> centres;
    std::vector<uint32_t> gridQuadOf; // for each quad, i * n + j of the grid quad it lies in
};

double distance(Point3 a, Point3 b) {
    // Summed so that swapping y and z gives the same bits.
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + (dy * dy + dz * dz));
}

// The cuts of the row pairs: need[p * n + a] says that a line runs through
// grid quads (a, 2p) and (a, 2p + 1); fork[a * n + b] marks the grid quads
// that the pairs' forks take. The column pairs' cuts are the rows' images
// across the face's diagonal: quad (a, b) of a column pair is quad (b, a) of
// a row pair.
struct RowCuts {
    int n = 0;
    std::vector<char> need;
    std::vector<char> cut, fork; // per grid quad (a, b), index a * n + b
};

void markRuns(RowCuts* rc) {
    const int n = rc->n;
    rc->cut.assign(n * n, 0);
    rc->fork.assign(n * n, 0);
    for (int b = 0; b + 1 < n; b += 2) {
        const char* need = &rc->need[(b / 2) * n];
        for (int a = 0; a < n; ++a) {
            if (!need[a])
                continue;
            rc->cut[a * n + b] = rc->cut[a * n + b + 1] = 1;
            for (int c : {a - 1, a + 1})
                if (c >= 0 && c < n && !need[c])
                    rc->fork[c * n + b] = rc->fork[c * n + b + 1] = 1;
        }
    }
}

double centreOffset(const double u[4], const double v[4], const Point3 p[4]) {
    Point3 c = quadCentre(u, v, p);
    Point3 mean{(p[0].x + p[1].x + p[2].x + p[3].x) / 4, (p[0].y + p[1].y + p[2].y + p[3].y) / 4,
                (p[0].z + p[1].z + p[2].z + p[3].z) / 4};
    return distance(c, mean);
}

// Grid quad (i, j) of the eighth i >= n / 2, j >= i whose centre lies too far
// from its corners' mean: the cut, along rows or along columns, whose halves
// lie closer; marked for the quad's eight mirror images alike.
void markCentreCuts(RowCuts* rc, int n, const std::vector<Point3>& gridPoint,
                    const std::vector<double>& gridU, const std::vector<double>& gridV) {
    const int side = n + 1;
    for (int i = n / 2; i < n; ++i)
        for (int j = i; j < n; ++j) {
            int c[4] = {i * side + j, (i + 1) * side + j, (i + 1) * side + j + 1, i * side + j + 1};
            double u[4], v[4];
            Point3 p[4];
            for (int k = 0; k < 4; ++k)
                u[k] = gridU[c[k]], v[k] = gridV[c[k]], p[k] = gridPoint[c[k]];
            if (centreOffset(u, v, p) <= centreLimit)
                continue;
            auto halves = [&](int k0, int k1, int k2, int k3) {
                // Cut between sides k0-k1 and k3-k2 (their midpoints m01, m32).
                double mu0 = (u[k0] + u[k3]) / 2, mv0 = (v[k0] + v[k3]) / 2;
                double mu1 = (u[k1] + u[k2]) / 2, mv1 = (v[k1] + v[k2]) / 2;
                Point3 m0 = symmetricFacePoint(mu0, mv0), m1 = symmetricFacePoint(mu1, mv1);
                double au[4] = {u[k0], u[k1], mu1, mu0}, av[4] = {v[k0], v[k1], mv1, mv0};
                Point3 ap[4] = {p[k0], p[k1], m1, m0};
                double bu[4] = {mu0, mu1, u[k2], u[k3]}, bv[4] = {mv0, mv1, v[k2], v[k3]};
                Point3 bp[4] = {m0, m1, p[k2], p[k3]};
                return std::max(centreOffset(au, av, ap), centreOffset(bu, bv, bp));
            };
            double rows = halves(0, 1, 2, 3);    // the line from side 0-3 to side 1-2: a row cut
            double columns = halves(1, 2, 3, 0); // the line from side 1-0 to side 2-3: a column cut
            bool row = rows <= columns;
            for (int m = 0; m < 8; ++m) {
                int x = m & 1 ? n - 1 - i : i, y = m & 2 ? n - 1 - j : j;
                bool r = row;
                if (m & 4)
                    std::swap(x, y), r = !r;
                if (r)
                    rc->need[(y / 2) * n + x] = 1;
                else
                    rc->need[(x / 2) * n + y] = 1;
            }
        }
}

// Decides the row pairs' cuts: first where their sides are too long or their
// centres too far off, then runs grow until no fork lies in a quad that a
// column pair's fork takes (a row's line may cross a column's fork, but two
// forks cannot share a quad), and no two runs leave a gap of one quad (a
// fork needs its own).
void decideRowCuts(RowCuts* rc, int n, const std::vector<Point3>& gridPoint,
                   const std::vector<double>& gridU, const std::vector<double>& gridV) {
    const int side = n + 1;
    rc->n = n;
    rc->need.assign((n / 2) * n, 0);
    auto along = [&](int a, int b) { // the longest side from (a, b) to (a, b + 1), or a mirror image's
        double longest = 0;
        for (int m = 0; m < 4; ++m) {
            int ma = m & 1 ? n - a : a, b0 = m & 2 ? n - b : b, b1 = m & 2 ? n - b - 1 : b + 1;
            longest = std::max(longest, distance(gridPoint[ma * side + b0], gridPoint[ma * side + b1]));
        }
        return longest;
    };
    for (int b = 0; b + 1 < n; b += 2)
        for (int a = 0; a < n; ++a)
            rc->need[(b / 2) * n + a] =
                std::max({along(a, b), along(a + 1, b), along(a, b + 1), along(a + 1, b + 1)}) >
                splitLength;
    markCentreCuts(rc, n, gridPoint, gridU, gridV);
    for (bool changed = true; changed;) {
        changed = false;
        for (int p = 0; p < n / 2; ++p) {
            char* need = &rc->need[p * n];
            for (int a = 1; a + 1 < n; ++a)
                if (!need[a] && need[a - 1] && need[a + 1])
                    need[a] = 1, changed = true;
        }
        markRuns(rc);
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b) {
                int q = a * n + b, t = b * n + a;
                if (rc->fork[q] && rc->fork[t] && !rc->need[(b / 2) * n + a]) {
                    rc->need[(b / 2) * n + a] = 1;
                    changed = true;
                }
            }
    }
}

void refineFace(FaceMesh* out, int n, const std::vector<Point3>& gridPoint,
                const std::vector<double>& gridU, const std::vector<double>& gridV,
                const std::vector<Point3>& gridCentre) {
    const int side = n + 1;
    RowCuts rc;
    decideRowCuts(&rc, n, gridPoint, gridU, gridV);

    std::vector<double> u = gridU, v = gridV;
    out->points = gridPoint;
    out->onBorder.assign(gridPoint.size(), 0);
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j)
            out->onBorder[i * side + j] = i == 0 || j == 0 || i == n || j == n;

    // The forks' meeting points move a third of the way into their run.
    for (int transposed = 0; transposed < 2; ++transposed) {
        auto at = [&](int a, int b) { return transposed ? b * side + a : a * side + b; };
        for (int b = 0; b + 1 < n; b += 2)
            for (int a = 0; a < n; ++a) {
                if (!rc.need[(b / 2) * n + a])
                    continue;
                auto move = [&](int from, int to) {
                    u[from] = gridU[from] + (gridU[to] - gridU[from]) / 3;
                    v[from] = gridV[from] + (gridV[to] - gridV[from]) / 3;
                    out->points[from] = symmetricFacePoint(u[from], v[from]);
                };
                if (a + 1 < n && !rc.need[(b / 2) * n + a + 1])
                    move(at(a + 1, b + 1), at(a, b + 1));
                if (a > 0 && !rc.need[(b / 2) * n + a - 1])
                    move(at(a, b + 1), at(a + 1, b + 1));
            }
    }

    auto addPoint = [&](double pu, double pv) {
        uint32_t k = uint32_t(out->points.size());
        out->points.push_back(symmetricFacePoint(pu, pv));
        out->onBorder.push_back(std::fabs(pu) == 1 || std::fabs(pv) == 1);
        u.push_back(pu);
        v.push_back(pv);
        return k;
    };
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> middle;
    auto midpoint = [&](uint32_t a, uint32_t b) {
        auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto found = middle.find(key);
        if (found != middle.end())
            return found->second;
        uint32_t k = addPoint((u[a] + u[b]) / 2, (v[a] + v[b]) / 2);
        middle.emplace(key, k);
        return k;
    };

    // In the grid's order, each cut quad's pieces in its place: the GPU
    // order walks the grid's rows from there.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            uint32_t p00 = i * side + j, p10 = (i + 1) * side + j, p11 = (i + 1) * side + j + 1,
                     p01 = i * side + j + 1;
            bool rowCut = rc.cut[i * n + j], columnCut = rc.cut[j * n + i];
            bool rowFork = rc.fork[i * n + j], columnFork = rc.fork[j * n + i];
            std::vector<std::array<uint32_t, 4>> pieces;
            if (rowFork || columnFork) {
                // The fork's two grid quads in the run's frame: a along the
                // run, b across it, the pair's lower quad at b even.
                bool transposed = columnFork;
                int a = transposed ? j : i, b = transposed ? i : j;
                auto at = [&](int pa, int pb) {
                    return uint32_t(transposed ? pb * side + pa : pa * side + pb);
                };
                int lower = b - b % 2;
                bool runBefore = a > 0 && rc.need[(lower / 2) * n + a - 1];
                // Where the other family's line crosses the fork (it cuts
                // both of its grid quads), the fork takes the half beside
                // the run and meets that line: mb, mm, mt are the line's
                // points on the pair's three grid lines across.
                bool crossed = transposed ? rowCut : columnCut;
                std::vector<std::array<uint32_t, 4>> fork;
                uint32_t mb = 0, mm = 0, mt = 0;
                if (crossed) {
                    mb = midpoint(at(a, lower), at(a + 1, lower));
                    mm = midpoint(at(a, lower + 1), at(a + 1, lower + 1));
                    mt = midpoint(at(a, lower + 2), at(a + 1, lower + 2));
                }
                if (runBefore) { // the run ends on line a
                    uint32_t m0 = midpoint(at(a, lower), at(a, lower + 1)),
                             m1 = midpoint(at(a, lower + 1), at(a, lower + 2));
                    if (crossed && b == lower) {
                        fork.push_back({at(a, lower), mb, mm, m0});
                        fork.push_back({m0, mm, m1, at(a, lower + 1)});
                        fork.push_back({mb, at(a + 1, lower), at(a + 1, lower + 1), mm});
                    } else if (crossed) {
                        fork.push_back({m1, mm, mt, at(a, lower + 2)});
                        fork.push_back({mm, at(a + 1, lower + 1), at(a + 1, lower + 2), mt});
                    } else if (b == lower) {
                        fork.push_back({at(a, lower), at(a + 1, lower), at(a + 1, lower + 1), m0});
                        fork.push_back({m0, at(a + 1, lower + 1), m1, at(a, lower + 1)});
                    } else {
                        fork.push_back({m1, at(a + 1, lower + 1), at(a + 1, lower + 2), at(a, lower + 2)});
                    }
                } else { // the run starts on line a + 1
                    uint32_t m0 = midpoint(at(a + 1, lower), at(a + 1, lower + 1)),
                             m1 = midpoint(at(a + 1, lower + 1), at(a + 1, lower + 2));
                    if (crossed && b == lower) {
                        fork.push_back({at(a, lower), mb, mm, at(a, lower + 1)});
                        fork.push_back({mb, at(a + 1, lower), m0, mm});
                        fork.push_back({mm, m0, at(a + 1, lower + 1), m1});
                    } else if (crossed) {
                        fork.push_back({at(a, lower + 1), mm, mt, at(a, lower + 2)});
                        fork.push_back({mm, m1, at(a + 1, lower + 2), mt});
                    } else if (b == lower) {
                        fork.push_back({at(a, lower), at(a + 1, lower), m0, at(a, lower + 1)});
                        fork.push_back({at(a, lower + 1), m0, at(a + 1, lower + 1), m1});
                    } else {
                        fork.push_back({at(a, lower + 1), m1, at(a + 1, lower + 2), at(a, lower + 2)});
                    }
                }
                for (auto q : fork)
                    pieces.push_back(transposed ? std::array<uint32_t, 4>{q[0], q[3], q[2], q[1]} : q);
            } else if (rowCut && columnCut) {
                uint32_t ma = midpoint(p00, p10), mb = midpoint(p10, p11), mc = midpoint(p01, p11),
                         md = midpoint(p00, p01);
                uint32_t x = addPoint((u[p00] + u[p10] + u[p11] + u[p01]) / 4,
                                      (v[p00] + v[p10] + v[p11] + v[p01]) / 4);
                pieces = {{p00, ma, x, md}, {ma, p10, mb, x}, {x, mb, p11, mc}, {md, x, mc, p01}};
            } else if (rowCut) {
                uint32_t low = midpoint(p00, p01), high = midpoint(p10, p11);
                pieces = {{p00, p10, high, low}, {low, high, p11, p01}};
            } else if (columnCut) {
                uint32_t low = midpoint(p00, p10), high = midpoint(p01, p11);
                pieces = {{p00, low, high, p01}, {low, p10, p11, high}};
            }
            if (pieces.empty()) {
                out->quads.push_back({p00, p10, p11, p01});
                out->centres.push_back(gridCentre[i * n + j]);
                out->gridQuadOf.push_back(uint32_t(i * n + j));
                continue;
            }
            for (const auto& piece : pieces) {
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
            if (mesh.onBorder[k]) {
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
