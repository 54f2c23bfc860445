// The blob's face grid: a cube-sphere grid whose points slide over the
// surface so that quads stay even in size over the deep relief. It follows
// the leaning surface itself, so lines also crowd onto the tight bends where
// a wall folds over its foot.
//
// Displacing a plain grid radially would stretch quads many times over on the
// steep walls of the pits and the bands. Instead the grid is relaxed in face
// coordinates as a weighted Laplacian: every point moves towards the mean of
// its eight neighbours, each weighted by how much its edge is stretched from
// face coordinates to space, where a turn of the surface normal along the
// edge counts as extra length. At equilibrium an edge's length in space is
// about the same whatever the slope beneath it, so grid lines bunch up in
// face coordinates on the walls and spread out on the flats; and the normal
// turns by about as little across every edge, so lines also crowd along the
// rims and feet of the walls. There the normal swings through most of a right
// angle within a few hundredths of a unit; quads as wide as on the flats
// would shade as a saw-tooth there, each quad's centre taking the wall's
// normal while its corners on the rim take the plateau's.
//
// Each step is a convex combination, which keeps the grid from folding. The
// grid is solved coarse to fine; after every sweep it is averaged with its
// mirror images, which keeps the face's eight symmetries exact.
#include "blob_surface_grid.h"

#include "blob_surface_field.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

// How far a turn of the surface normal counts against distance: an edge
// across which the normal turns by a radian weighs as this much extra length
// (about three mean edges). Larger values calm the shading further but pull
// lines off the walls, whose edges grow longer.
constexpr double bendLength = 0.07;

// A grid point lifted into six dimensions: its place on the surface, and its
// unit normal scaled by bendLength. Distances between lifted points grow on
// the walls and over tight bends alike, so grid lines crowd onto both.
struct Lifted {
    Point3 p, n;
};

Lifted surfacePoint(double u, double v) {
    Point3 p, pu, pv;
    blobFacePoint(&p, &pu, &pv, u, v);
    Point3 n{pu.y * pv.z - pu.z * pv.y, pu.z * pv.x - pu.x * pv.z, pu.x * pv.y - pu.y * pv.x};
    double scale = bendLength / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {p, {n.x * scale, n.y * scale, n.z * scale}};
}

double distance2(const Lifted& a, const Lifted& b) {
    double dx = a.p.x - b.p.x, dy = a.p.y - b.p.y, dz = a.p.z - b.p.z;
    double nx = a.n.x - b.n.x, ny = a.n.y - b.n.y, nz = a.n.z - b.n.z;
    return dx * dx + dy * dy + dz * dz + nx * nx + ny * ny + nz * nz;
}

// The mirror images across the face's border planes, applied to both halves
// of a lifted point.
Lifted mirrored(Lifted a, Point3 (*map)(Point3)) { return {map(a.p), map(a.n)}; }
Point3 acrossLowU(Point3 p) { return {-p.y, -p.x, p.z}; }
Point3 acrossHighU(Point3 p) { return {p.y, p.x, p.z}; }
Point3 acrossLowV(Point3 p) { return {-p.z, p.y, -p.x}; }
Point3 acrossHighV(Point3 p) { return {p.z, p.y, p.x}; }

// Face coordinates and lifted point of grid point (i, j), also one step
// beyond the border: the face meets its neighbour across the mirror planes
// x = +-y and x = +-z, so the point there is the mirror image of the point just
// inside, and its face coordinates are mirrored across the border line.
void beyond(const BlobFaceGrid& grid, const std::vector<Lifted>& point, int i, int j, double* u,
            double* v, Lifted* p) {
    const int n = grid.cells, side = n + 1;
    int ii = i < 0 ? -i : (i > n ? 2 * n - i : i);
    int jj = j < 0 ? -j : (j > n ? 2 * n - j : j);
    int k = ii * side + jj;
    *u = grid.u[k];
    *v = grid.v[k];
    *p = point[k];
    if (i < 0) *u = -2 - *u, *p = mirrored(*p, acrossLowU);
    if (i > n) *u = 2 - *u, *p = mirrored(*p, acrossHighU);
    if (j < 0) *v = -2 - *v, *p = mirrored(*p, acrossLowV);
    if (j > n) *v = 2 - *v, *p = mirrored(*p, acrossHighV);
}

// One Gauss-Seidel sweep: every free point moves part of the way to the
// weighted mean, in face coordinates, of its eight neighbours; a neighbour's
// weight is the edge's stretch from face coordinates to the lifted points'
// six dimensions. The diagonal neighbours count half: half a diagonal is a
// spoke to a quad's centre.
void relaxSweep(BlobFaceGrid* grid, std::vector<Lifted>* point) {
    const double damping = 0.7;  // a full step lets neighbouring lines pair up
    static const int di[8] = {1, -1, 0, 0, 1, 1, -1, -1};
    static const int dj[8] = {0, 0, 1, -1, 1, -1, 1, -1};
    static const double share[8] = {1, 1, 1, 1, 0.5, 0.5, 0.5, 0.5};
    const int n = grid->cells, side = n + 1;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            bool corner = (i == 0 || i == n) && (j == 0 || j == n);
            if (corner || (2 * i == n && 2 * j == n)) continue;
            int k = i * side + j;
            double su = 0, sv = 0, total = 0;
            Lifted p = (*point)[k];
            for (int m = 0; m < 8; ++m) {
                double u, v;
                Lifted q;
                beyond(*grid, *point, i + di[m], j + dj[m], &u, &v, &q);
                double space2 = distance2(p, q);
                double face2 =
                    (u - grid->u[k]) * (u - grid->u[k]) + (v - grid->v[k]) * (v - grid->v[k]);
                double weight = share[m] * std::sqrt(space2 / face2);
                su += weight * u;
                sv += weight * v;
                total += weight;
            }
            grid->u[k] += (su / total - grid->u[k]) * damping;
            grid->v[k] += (sv / total - grid->v[k]) * damping;
            (*point)[k] = surfacePoint(grid->u[k], grid->v[k]);
        }
}

// Replaces every point by the mean of its eight mirror images, so the grid
// has the face's symmetries: u -> -u, v -> -v and u <-> v.
void symmetrize(BlobFaceGrid* grid) {
    const int n = grid->cells, side = n + 1;
    std::vector<double> u(side * side), v(side * side);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            double su = 0, sv = 0;
            int ii[2] = {i, n - i}, jj[2] = {j, n - j};
            for (int a = 0; a < 2; ++a)
                for (int b = 0; b < 2; ++b) {
                    double sign_u = a ? -1 : 1, sign_v = b ? -1 : 1;
                    su += sign_u * grid->u[ii[a] * side + jj[b]];
                    sv += sign_v * grid->v[ii[a] * side + jj[b]];
                    // The image across the diagonal swaps the roles of u and v.
                    su += sign_u * grid->v[jj[b] * side + ii[a]];
                    sv += sign_v * grid->u[jj[b] * side + ii[a]];
                }
            u[i * side + j] = su / 8;
            v[i * side + j] = sv / 8;
        }
    grid->u.swap(u);
    grid->v.swap(v);
}

void relax(BlobFaceGrid* grid, int sweeps) {
    const int side = grid->cells + 1;
    std::vector<Lifted> point(side * side);
    for (int s = 0; s < sweeps; ++s) {
        for (int k = 0; k < side * side; ++k) point[k] = surfacePoint(grid->u[k], grid->v[k]);
        relaxSweep(grid, &point);
        symmetrize(grid);
    }
}

// Doubles the grid's resolution, the new points midway in face coordinates.
void refine(BlobFaceGrid* grid) {
    int n = grid->cells, side = n + 1, fine = 2 * n + 1;
    std::vector<double> u(fine * fine), v(fine * fine);
    for (int i = 0; i < fine; ++i)
        for (int j = 0; j < fine; ++j) {
            int i0 = i / 2, i1 = (i + 1) / 2, j0 = j / 2, j1 = (j + 1) / 2;
            int c[4] = {i0 * side + j0, i0 * side + j1, i1 * side + j0, i1 * side + j1};
            double su = 0, sv = 0;
            for (int k : c) {
                su += grid->u[k];
                sv += grid->v[k];
            }
            u[i * fine + j] = su / 4;
            v[i * fine + j] = sv / 4;
        }
    grid->cells = 2 * n;
    grid->u.swap(u);
    grid->v.swap(v);
}

}  // namespace

void buildBlobFaceGrid(BlobFaceGrid* out, int cells) {
    // Start coarse with equal angles between grid lines, then refine twice.
    int coarse = cells / 4;
    out->cells = coarse;
    int side = coarse + 1;
    out->u.resize(side * side);
    out->v.resize(side * side);
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            out->u[i * side + j] = std::tan(pi / 4 * (2.0 * i / coarse - 1));
            out->v[i * side + j] = std::tan(pi / 4 * (2.0 * j / coarse - 1));
        }
    relax(out, 180);
    refine(out);
    relax(out, 120);
    refine(out);
    relax(out, 90);
}
