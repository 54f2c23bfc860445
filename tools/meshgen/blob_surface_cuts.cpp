#include "blob_surface_cuts.h"

#include "blob_face_points.h"

#include <algorithm>
#include <utility>

namespace {

// The face's grid has every other line of the relaxed grid; the lines
// between go back in as cuts wherever a grid quad needs them. Where a grid
// quad's sides run longer than lengthLimit, an extra line runs across them
// through the middle of each row of its pair of rows, halving their quads;
// where it bends so far that its centre lies further than centreLimit from
// its corners' mean, likewise along rows or along columns, whichever halves
// lie closer. Where a row's lines cross a column's the quad is cut in four.
// The two lines of a pair end in a fork at each end of their run: they meet
// the next grid line at one point, which they pull towards them, so that
// corner is shared by three quads and the point across the fork by five. A
// run that reaches the face's border goes on over it: the neighbouring face
// cuts the same quads, as the image of this one.
//
// Strips that follow the quads in need (blob_face_strips.cpp) take the rest.
// Measured: cutting sides from 0.055 up spends quads that the strips would
// use better (0.13 % of the edges stay out of range, against 0.11 %); from
// 0.065 up, or centres from 0.0025, changes little.
constexpr double lengthLimit = 0.06, centreLimit = 0.003;

void markRuns(RowCuts* rc) {
    const int n = rc->n;
    rc->cut.assign(n * n, 0);
    rc->fork.assign(n * n, 0);
    for (int b = 0; b + 1 < n; b += 2) {
        const char* need = &rc->need[(b / 2) * n];
        for (int a = 0; a < n; ++a) {
            if (!need[a]) continue;
            rc->cut[a * n + b] = rc->cut[a * n + b + 1] = 1;
            for (int c : {a - 1, a + 1})
                if (c >= 0 && c < n && !need[c]) rc->fork[c * n + b] = rc->fork[c * n + b + 1] = 1;
        }
    }
}

double offsetFromMean(Point3 c, const Point3 p[4]) {
    Point3 mean{(p[0].x + p[1].x + p[2].x + p[3].x) / 4, (p[0].y + p[1].y + p[2].y + p[3].y) / 4,
                (p[0].z + p[1].z + p[2].z + p[3].z) / 4};
    return pointDistance(c, mean);
}

double centreOffset(const double u[4], const double v[4], const Point3 p[4]) {
    return offsetFromMean(quadCentre(u, v, p), p);
}

// Marks the cuts of grid quad (i, j) for it and its eight mirror images:
// along rows (its pair of rows halved), along columns, or both.
void markCut(RowCuts* rc, int n, int i, int j, bool row, bool column) {
    for (int m = 0; m < 8; ++m) {
        int x = m & 1 ? n - 1 - i : i, y = m & 2 ? n - 1 - j : j;
        bool r = row, c = column;
        if (m & 4) std::swap(x, y), std::swap(r, c);
        if (r) rc->need[(y / 2) * n + x] = 1;
        if (c) rc->need[(x / 2) * n + y] = 1;
    }
}

// Grid quads (i, j) of the eighth i >= n / 2, j >= i: those with sides too
// long are cut across them; those whose centre lies too far from its
// corners' mean get the cut, along rows or along columns, whose halves lie
// closer.
void markCuts(RowCuts* rc, int n, const std::vector<Point3>& gridPoint,
              const std::vector<double>& gridU, const std::vector<double>& gridV,
              const std::vector<Point3>& gridCentre) {
    const int side = n + 1;
    for (int i = n / 2; i < n; ++i)
        for (int j = i; j < n; ++j) {
            int c[4] = {i * side + j, (i + 1) * side + j, (i + 1) * side + j + 1, i * side + j + 1};
            double u[4], v[4];
            Point3 p[4];
            for (int k = 0; k < 4; ++k)
                u[k] = gridU[c[k]], v[k] = gridV[c[k]], p[k] = gridPoint[c[k]];
            // A row cut halves sides 0-3 and 1-2, a column cut sides 0-1 and 3-2.
            markCut(rc, n, i, j,
                    std::max(pointDistance(p[0], p[3]), pointDistance(p[1], p[2])) > lengthLimit,
                    std::max(pointDistance(p[0], p[1]), pointDistance(p[3], p[2])) > lengthLimit);
            if (offsetFromMean(gridCentre[i * n + j], p) <= centreLimit) continue;
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
            double rows = halves(0, 1, 2, 3);  // the line from side 0-3 to side 1-2: a row cut
            double columns =
                halves(1, 2, 3, 0);  // the line from side 1-0 to side 2-3: a column cut
            markCut(rc, n, i, j, rows <= columns, rows > columns);
        }
}

}  // namespace

// Decides the row pairs' cuts: first where sides are too long or centres
// too far off, then runs grow until no fork lies in a quad that a column pair's fork
// takes (a row's line may cross a column's fork, but two forks cannot share
// a quad), and no two runs leave a gap of one quad (a fork needs its own).
void decideRowCuts(RowCuts* rc, int n, const std::vector<Point3>& gridPoint,
                   const std::vector<double>& gridU, const std::vector<double>& gridV,
                   const std::vector<Point3>& gridCentre) {
    rc->n = n;
    rc->need.assign((n / 2) * n, 0);
    markCuts(rc, n, gridPoint, gridU, gridV, gridCentre);
    for (bool changed = true; changed;) {
        changed = false;
        for (int p = 0; p < n / 2; ++p) {
            char* need = &rc->need[p * n];
            for (int a = 1; a + 1 < n; ++a)
                if (!need[a] && need[a - 1] && need[a + 1]) need[a] = 1, changed = true;
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
