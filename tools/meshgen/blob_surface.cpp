// The blob: a closed, relief-covered surface with the symmetry of a cube. One
// face's quad grid is laid over the surface: every other line of a grid
// relaxed over the relief, with the lines between put back, as cuts, only
// where its quads run too long or bend too far; its points slide to bring
// edges into range where that harms nothing; closed strips of quads then
// halve the quads that are still too long or bend too far, the points
// slide again, the few sides still out of range are mended with their two
// quads, and the points slide a last time. The six faces are the images of
// that face under the quarter turns that carry +X to each face.
#include "quad_surface.h"

#include "blob_face_points.h"
#include "blob_face_sides.h"
#include "blob_face_strips.h"
#include "blob_face_tidy.h"
#include "blob_surface_cuts.h"
#include "blob_surface_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace {

// Quads along each side of the relaxed grid. The face's grid takes every
// other line of it, 6 * 76^2 = 34,656 quads, and its cuts put the lines
// between back where they are needed. A relaxed grid crowds its lines onto
// the walls and rims, but each line runs on across the whole face: keeping
// all of them (6 * 148^2 = 131,424 quads for a 148 grid) leaves most quads
// away from the walls long in one direction and needlessly short in the
// other, and strips cannot then mend the long ones within the budget.
constexpr int relaxedCells = 152;
// The quads one face may have once cut and stripped: the whole blob at most
// 152,000, which keeps its frame cost near that of the earlier blob.
constexpr size_t faceQuadLimit = 152000 / 6;
// Quads of each face that the strips leave to mending single sides, which
// costs at most two quads (times eight mirror images) each where a strip
// would cost a dozen. Measured: from 120 to 1400 every side ends in range,
// and the more is left the fewer quads the blob has (151,488 to 144,432);
// from 1600 on, the strips leave quads that bend too far (normals 12.6
// degrees apart at the 99th percentile, centres 0.0073 off).
constexpr size_t sideReserve = 1200;

// Rotations carrying the +X face onto the six faces: the identity, the two
// cyclic turns about (1, 1, 1), and each of those after a half turn about Z.
Point3 rotateToFace(int face, Point3 p) {
    if (face >= 3) p = {-p.x, -p.y, p.z};
    switch (face % 3) {
    case 1:
        return {p.z, p.x, p.y};
    case 2:
        return {p.y, p.z, p.x};
    default:
        return p;
    }
}

// One face's quads after the cuts, with the grid's points shared.
struct FaceMesh {
    std::vector<Point3> points;  // the grid's points first, row by row
    std::vector<char> onBorder;  // per point: it lies on the face's border
    std::vector<std::array<uint32_t, 4>> quads;
    std::vector<Point3> centres;
    // For each quad, i * n + j of the grid quad it lies in; once all is laid,
    // I * 2n + J of the relaxed grid's quad that holds its middle.
    std::vector<uint32_t> gridQuadOf;
};

// Cuts the grid quads that decideRowCuts picks: in two along a row's or a
// column's line, in four where those cross, in three over a fork's pair of
// grid quads, or in five where a line crosses the fork; then slides the
// points, lays strips and mends the sides left out of range. A cut's new points are those of the
// relaxed grid (fineU, fineV: 2n + 1 points a side) between the grid's.
void refineFace(FaceMesh* out, int n, const std::vector<Point3>& gridPoint,
                const std::vector<double>& gridU, const std::vector<double>& gridV,
                const std::vector<Point3>& gridCentre, const std::vector<double>& fineU,
                const std::vector<double>& fineV) {
    const int side = n + 1, fineSide = 2 * n + 1;
    RowCuts rc;
    decideRowCuts(&rc, n, gridPoint, gridU, gridV, gridCentre);

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
                if (!rc.need[(b / 2) * n + a]) continue;
                auto move = [&](int from, int to) {
                    u[from] = gridU[from] + (gridU[to] - gridU[from]) / 3;
                    v[from] = gridV[from] + (gridV[to] - gridV[from]) / 3;
                    out->points[from] = symmetricFacePoint(u[from], v[from]);
                };
                if (a + 1 < n && !rc.need[(b / 2) * n + a + 1])
                    move(at(a + 1, b + 1), at(a, b + 1));
                if (a > 0 && !rc.need[(b / 2) * n + a - 1]) move(at(a, b + 1), at(a + 1, b + 1));
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
    auto fine = [&](int fi, int fj) {
        return std::make_pair(fineU[fi * fineSide + fj], fineV[fi * fineSide + fj]);
    };
    // The relaxed grid's point between grid points a and b, or amid the four
    // corners of grid quad (i, j).
    auto finePoint = [&](int fi, int fj) {
        auto [fu, fv] = fine(fi, fj);
        return addPoint(fu, fv);
    };
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> middle;
    auto midpoint = [&](uint32_t a, uint32_t b) {
        auto key = std::make_pair(std::min(a, b), std::max(a, b));
        auto found = middle.find(key);
        if (found != middle.end()) return found->second;
        uint32_t k = finePoint(int(a / side + b / side), int(a % side + b % side));
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
                // The cuts were decided so that two forks never share a quad
                // and a crossing line runs through both of a fork's quads;
                // anything else would leave a crack.
                if ((rowFork && columnFork) || bool(rc.cut[lower * n + a]) != crossed ||
                    bool(rc.cut[(lower + 1) * n + a]) != crossed) {
                    std::fprintf(
                        stderr,
                        "qorv-meshgen: the blob's cuts leave a crack at grid quad (%d, %d)\n", i,
                        j);
                    std::abort();
                }
                std::vector<std::array<uint32_t, 4>> fork;
                uint32_t mb = 0, mm = 0, mt = 0;
                if (crossed) {
                    mb = midpoint(at(a, lower), at(a + 1, lower));
                    mm = midpoint(at(a, lower + 1), at(a + 1, lower + 1));
                    mt = midpoint(at(a, lower + 2), at(a + 1, lower + 2));
                }
                if (runBefore) {  // the run ends on line a
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
                        fork.push_back(
                            {m1, at(a + 1, lower + 1), at(a + 1, lower + 2), at(a, lower + 2)});
                    }
                } else {  // the run starts on line a + 1
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
                        fork.push_back(
                            {at(a, lower + 1), m1, at(a + 1, lower + 2), at(a, lower + 2)});
                    }
                }
                for (auto q : fork)
                    pieces.push_back(transposed ? std::array<uint32_t, 4>{q[0], q[3], q[2], q[1]}
                                                : q);
            } else if (rowCut && columnCut) {
                uint32_t ma = midpoint(p00, p10), mb = midpoint(p10, p11), mc = midpoint(p01, p11),
                         md = midpoint(p00, p01);
                uint32_t x = finePoint(2 * i + 1, 2 * j + 1);
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

    // Points slide to bring edges into range; strips halve the quads that
    // are still too long or bend too far, and points slide again; the few
    // sides left out of range are mended with their two quads, and points
    // slide a last time. Points that moved or are new get their place on
    // the surface, and quads that changed or whose corners moved get their
    // centres again.
    std::vector<double> oldU = u, oldV = v;
    tidyFaceEdges(out->quads, &u, &v, false);
    std::vector<char> changed;
    layFaceStrips(&out->quads, &out->gridQuadOf, &changed, &u, &v, faceQuadLimit - sideReserve);
    tidyFaceEdges(out->quads, &u, &v, false);
    mendFaceSides(&out->quads, &out->gridQuadOf, &changed, &u, &v, faceQuadLimit);
    tidyFaceEdges(out->quads, &u, &v, true);
    out->points.resize(u.size());
    out->onBorder.resize(u.size(), 0);  // strips stay inside the face
    out->centres.resize(out->quads.size());
    std::vector<char> moved(u.size());
    for (size_t k = 0; k < u.size(); ++k)
        if (k >= oldU.size() || u[k] != oldU[k] || v[k] != oldV[k]) {
            moved[k] = 1;
            out->points[k] = symmetricFacePoint(u[k], v[k]);
        }
    for (size_t q = 0; q < out->quads.size(); ++q) {
        const auto& c = out->quads[q];
        if (!(changed[q] || moved[c[0]] || moved[c[1]] || moved[c[2]] || moved[c[3]])) continue;
        double qu[4], qv[4];
        Point3 p[4];
        for (int k = 0; k < 4; ++k) qu[k] = u[c[k]], qv[k] = v[c[k]], p[k] = out->points[c[k]];
        out->centres[q] = quadCentre(qu, qv, p);
    }
    // Each quad goes with the relaxed grid's quad that holds its middle in
    // face coordinates (or whose middle lies nearest), and the quads are put
    // in that grid's order: the GPU order's bands walk it. The face's own
    // grid quads hold up to a dozen pieces each, too many for a band's rows
    // to stay in the vertex cache.
    for (size_t q = 0; q < out->quads.size(); ++q) {
        int i = int(out->gridQuadOf[q] / n), j = int(out->gridQuadOf[q] % n);
        double cu = 0, cv = 0;
        for (uint32_t k : out->quads[q]) cu += u[k] / 4, cv += v[k] / 4;
        int best = 0;
        double bestDistance = 1e300;
        for (int cell = 0; cell < 4; ++cell) {
            int fi = 2 * i + cell / 2, fj = 2 * j + cell % 2;
            std::pair<double, double> c[4] = {fine(fi, fj), fine(fi + 1, fj), fine(fi + 1, fj + 1),
                                              fine(fi, fj + 1)};
            bool inside = true;
            double mu = 0, mv = 0;
            for (int k = 0; k < 4; ++k) {
                const auto &a = c[k], &b = c[(k + 1) % 4];
                inside = inside && (b.first - a.first) * (cv - a.second) -
                                           (b.second - a.second) * (cu - a.first) >=
                                       0;
                mu += c[k].first / 4, mv += c[k].second / 4;
            }
            double distance = inside ? -1 : std::hypot(cu - mu, cv - mv);
            if (distance < bestDistance) best = cell, bestDistance = distance;
        }
        out->gridQuadOf[q] = uint32_t((2 * i + best / 2) * 2 * n + 2 * j + best % 2);
    }
    std::vector<uint32_t> order(out->quads.size());
    for (uint32_t q = 0; q < order.size(); ++q) order[q] = q;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return out->gridQuadOf[a] < out->gridQuadOf[b];
    });
    std::vector<std::array<uint32_t, 4>> quads(order.size());
    std::vector<Point3> centres(order.size());
    std::vector<uint32_t> gridQuadOf(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        quads[i] = out->quads[order[i]];
        centres[i] = out->centres[order[i]];
        gridQuadOf[i] = out->gridQuadOf[order[i]];
    }
    out->quads.swap(quads);
    out->centres.swap(centres);
    out->gridQuadOf.swap(gridQuadOf);
}

// Face coordinates of all the grid's points, taken from the eighth
// 0 <= u <= v, the rest as their exact mirror images, with the points on the
// mirror lines exactly on them; the surface points then come out mirrored
// to the last bit, so that the faces' shared borders coincide.
void faceCoordinates(std::vector<double>* faceU, std::vector<double>* faceV,
                     const BlobFaceGrid& grid) {
    const int n = grid.cells, side = n + 1;
    faceU->resize(side * side);
    faceV->resize(side * side);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            bool flipU = 2 * i < n, flipV = 2 * j < n;
            int a = flipU ? n - i : i, b = flipV ? n - j : j;
            bool swap = a > b;
            int lo = swap ? b : a, hi = swap ? a : b, k = lo * side + hi;
            double u = 2 * lo == n ? 0.0 : (lo == n ? 1.0 : grid.u[k]);
            double v = hi == n ? 1.0 : (lo == hi ? u : grid.v[k]);
            double fu = swap ? v : u, fv = swap ? u : v;
            (*faceU)[i * side + j] = flipU ? -fu : fu;
            (*faceV)[i * side + j] = flipV ? -fv : fv;
        }
}

}  // namespace

void buildBlobSurface(QuadSurface* out) {
    BlobFaceGrid fine;
    buildBlobFaceGrid(&fine, relaxedCells);
    std::vector<double> fineU, fineV;
    faceCoordinates(&fineU, &fineV, fine);
    // The face's grid: every other line of the relaxed one.
    BlobFaceGrid grid;
    grid.cells = relaxedCells / 2;
    const int n = grid.cells, side = n + 1, fineSide = 2 * n + 1;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            grid.u.push_back(fine.u[2 * i * fineSide + 2 * j]);
            grid.v.push_back(fine.v[2 * i * fineSide + 2 * j]);
        }
    std::vector<double> faceU, faceV;
    faceCoordinates(&faceU, &faceV, grid);
    std::vector<Point3> facePoint(side * side);
    for (int k = 0; k < side * side; ++k) facePoint[k] = symmetricFacePoint(faceU[k], faceV[k]);
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
            if (lo == hi) centre.y = centre.z = (centre.y + centre.z) / 2;
            faceCentre[i * n + j] = mirrorFromEighth(centre, swap, flipU, flipV);
        }

    FaceMesh mesh;
    refineFace(&mesh, n, facePoint, faceU, faceV, faceCentre, fineU, fineV);

    out->points.clear();
    out->quads.clear();
    out->centres.clear();
    out->gridQuads.clear();
    out->gridQuadOf.clear();
    // The six bosses face exactly along their axes; a wall that happens to
    // face within 0.001 of one does not.
    out->axisNormalsOnAxesOnly = true;
    // Points on a face's border are shared with the neighbouring faces; the
    // grid is exactly mirror-symmetric, so the copies coincide exactly. The
    // relaxed grid's quads, which order the quads for the GPU, number their
    // corners apart from the mesh's points, shared in the same way.
    std::map<std::array<double, 3>, uint32_t> border, fineBorder;
    std::vector<uint32_t> fineIndex(fineU.size());
    uint32_t finePoints = 0;
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
        for (int i = 0; i < fineSide; ++i)
            for (int j = 0; j < fineSide; ++j) {
                int k = i * fineSide + j;
                fineIndex[k] = finePoints;
                if (i == 0 || j == 0 || i == 2 * n || j == 2 * n) {
                    Point3 p = rotateToFace(face, symmetricFacePoint(fineU[k], fineV[k]));
                    auto found =
                        fineBorder.emplace(std::array<double, 3>{p.x, p.y, p.z}, finePoints);
                    fineIndex[k] = found.first->second;
                }
                finePoints += fineIndex[k] == finePoints;
            }
        uint32_t firstGridQuad = uint32_t(out->gridQuads.size());
        for (int i = 0; i < 2 * n; ++i)
            for (int j = 0; j < 2 * n; ++j)
                out->gridQuads.push_back(
                    {fineIndex[i * fineSide + j], fineIndex[(i + 1) * fineSide + j],
                     fineIndex[(i + 1) * fineSide + j + 1], fineIndex[i * fineSide + j + 1]});
        for (size_t q = 0; q < mesh.quads.size(); ++q) {
            const auto& c = mesh.quads[q];
            out->quads.push_back({index[c[0]], index[c[1]], index[c[2]], index[c[3]]});
            out->centres.push_back(rotateToFace(face, mesh.centres[q]));
            out->gridQuadOf.push_back(firstGridQuad + mesh.gridQuadOf[q]);
        }
    }
}
