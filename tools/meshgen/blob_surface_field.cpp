// The blob's radius field: a shape-preserving bicubic interpolation of the
// measured radius table over the +X face, extended by the cube's symmetry.
//
// The table holds the radius along (1, u, v) for 0 <= u <= v <= 1 in steps of
// 0.1. Every node of the face grid [-1, 1]^2 takes its value from the table
// through the face's eight symmetries; one ring of nodes beyond the face's
// border takes the radius of the neighbouring faces, so that the slopes at
// the cube's edges continue smoothly into the next face.
#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int tableSize = 11; // u and v from 0 to 1 in steps of 0.1
constexpr double step = 0.1;

// Radius along (1, u, v), row u, column v (only v >= u is used).
// Four entries carry the measured values where the table rounds them: the
// boss on the axis, the deepest pit, the top of the edge band at the edge's
// midpoint, and the band's outer flank that sets the blob's extent of 1.798.
// The two floor entries of the band pits next to the cube's edge (u = 0.1 and
// 0.2, v = 0.9) sit 0.02 low: the wall rises steeply right behind them, and
// the mesh's flat triangles across its foot lift the floor there by about as
// much.
constexpr double radiusTable[tableSize][tableSize] = {
    {1.50543, 1.49, 1.49, 1.50, 1.53, 1.68, 2.094, 2.10, 2.11, 2.13, 2.149},
    {0, 1.08, 0.95, 0.98, 1.50, 1.67, 2.01, 1.29, 1.21, 1.20, 2.13},
    {0, 0, 0.898, 0.92, 1.47, 1.63, 2.00, 1.33, 1.23, 1.22, 2.11},
    {0, 0, 0, 0.94, 1.50, 1.57, 1.86, 2.03, 1.99, 2.05, 2.11},
    {0, 0, 0, 0, 1.54, 1.54, 1.57, 1.62, 1.71, 1.83, 1.94},
    {0, 0, 0, 0, 0, 1.04, 0.99, 1.46, 1.52, 1.55, 1.57},
    {0, 0, 0, 0, 0, 0, 0.92, 0.93, 0.98, 1.46, 1.54},
    {0, 0, 0, 0, 0, 0, 0, 0.92, 0.95, 1.05, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0.97, 1.09, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 1.48, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.53},
};

constexpr int halfNodes = tableSize; // nodes -11 .. 11, the outer ring beyond the face
constexpr int nodes = 2 * halfNodes + 1;

struct FieldGrid {
    bool ready = false;
    double value[nodes][nodes]; // [u node][v node]
    double slopeU[nodes][nodes];
    double slopeV[nodes][nodes];
};

FieldGrid grid;

double tableValue(int i, int j) {
    int a = std::abs(i), b = std::abs(j);
    return radiusTable[std::min(a, b)][std::max(a, b)];
}

// Slope at a node from its two neighbours: zero at a local extremum, else the
// harmonic mean of the two one-sided slopes, which keeps every interval of
// the interpolant between its end values (no overshoot at the steep walls).
double limitedSlope(double before, double at, double after) {
    double left = (at - before) / step, right = (after - at) / step;
    if (left * right <= 0.0)
        return 0.0;
    return 2.0 * left * right / (left + right);
}

void computeSlopes() {
    for (int i = 1; i < nodes - 1; ++i)
        for (int j = 1; j < nodes - 1; ++j) {
            grid.slopeU[i][j] =
                limitedSlope(grid.value[i - 1][j], grid.value[i][j], grid.value[i + 1][j]);
            grid.slopeV[i][j] =
                limitedSlope(grid.value[i][j - 1], grid.value[i][j], grid.value[i][j + 1]);
        }
}

double evaluate(double* ru, double* rv, double u, double v);

void buildGrid() {
    for (int i = -halfNodes; i <= halfNodes; ++i)
        for (int j = -halfNodes; j <= halfNodes; ++j) {
            // First guess for the outer ring: the mirror image across the border.
            int a = std::abs(i) > 10 ? (i > 0 ? 9 : -9) : i;
            int b = std::abs(j) > 10 ? (j > 0 ? 9 : -9) : j;
            grid.value[i + halfNodes][j + halfNodes] = tableValue(a, b);
        }
    computeSlopes();
    grid.ready = true;
    // The outer ring lies in the neighbouring faces: fold its directions back
    // and take the interpolated radius there, twice so the guess settles.
    for (int pass = 0; pass < 2; ++pass) {
        double ring[nodes][nodes];
        for (int i = -halfNodes; i <= halfNodes; ++i)
            for (int j = -halfNodes; j <= halfNodes; ++j) {
                if (std::abs(i) <= 10 && std::abs(j) <= 10)
                    continue;
                double u, v, du, dv;
                blobFoldDirection(&u, &v, 1.0, i * step, j * step);
                ring[i + halfNodes][j + halfNodes] = evaluate(&du, &dv, u, v);
            }
        for (int i = -halfNodes; i <= halfNodes; ++i)
            for (int j = -halfNodes; j <= halfNodes; ++j)
                if (std::abs(i) > 10 || std::abs(j) > 10)
                    grid.value[i + halfNodes][j + halfNodes] = ring[i + halfNodes][j + halfNodes];
        computeSlopes();
    }
}

// Cubic Hermite basis on [0, 1]: weights of the two end values and the two
// end slopes, and their derivatives.
void hermite(double w[4], double dw[4], double t) {
    double t2 = t * t, t3 = t2 * t;
    w[0] = 2 * t3 - 3 * t2 + 1;
    w[1] = -2 * t3 + 3 * t2;
    w[2] = t3 - 2 * t2 + t;
    w[3] = t3 - t2;
    dw[0] = 6 * t2 - 6 * t;
    dw[1] = -6 * t2 + 6 * t;
    dw[2] = 3 * t2 - 4 * t + 1;
    dw[3] = 3 * t2 - 2 * t;
}

// Bicubic Hermite patch of the cell holding (u, v), with zero twist.
double evaluate(double* ru, double* rv, double u, double v) {
    double fu = (u + halfNodes * step) / step, fv = (v + halfNodes * step) / step;
    int i = std::clamp(int(std::floor(fu)), 1, nodes - 3);
    int j = std::clamp(int(std::floor(fv)), 1, nodes - 3);
    double s = fu - i, t = fv - j;
    double ws[4], dws[4], wt[4], dwt[4];
    hermite(ws, dws, s);
    hermite(wt, dwt, t);
    double r = 0, dr_s = 0, dr_t = 0;
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) {
            int ia = i + a, jb = j + b;
            double f = grid.value[ia][jb];
            double gu = grid.slopeU[ia][jb] * step, gv = grid.slopeV[ia][jb] * step;
            r += ws[a] * wt[b] * f + ws[2 + a] * wt[b] * gu + ws[a] * wt[2 + b] * gv;
            dr_s += dws[a] * wt[b] * f + dws[2 + a] * wt[b] * gu + dws[a] * wt[2 + b] * gv;
            dr_t += ws[a] * dwt[b] * f + ws[2 + a] * dwt[b] * gu + ws[a] * dwt[2 + b] * gv;
        }
    *ru = dr_s / step;
    *rv = dr_t / step;
    return r;
}

} // namespace

void blobFoldDirection(double* u, double* v, double x, double y, double z) {
    double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    double m = std::max(ax, std::max(ay, az));
    if (m == ax) {
        *u = y / ax;
        *v = z / ax;
    } else if (m == ay) {
        *u = x / ay;
        *v = z / ay;
    } else {
        *u = x / az;
        *v = y / az;
    }
}

void blobRadius(double* r, double* ru, double* rv, double u, double v) {
    if (!grid.ready)
        buildGrid();
    *r = evaluate(ru, rv, u, v);
}

void blobFacePoint(Point3* p, Point3* pu, Point3* pv, double u, double v) {
    double r, ru, rv;
    blobRadius(&r, &ru, &rv, u, v);
    double n2 = 1 + u * u + v * v, n = std::sqrt(n2), n3 = n2 * n;
    // Unit direction d = (1, u, v) / n and its derivatives.
    Point3 d{1 / n, u / n, v / n};
    Point3 du{-u / n3, 1 / n - u * u / n3, -u * v / n3};
    Point3 dv{-v / n3, -u * v / n3, 1 / n - v * v / n3};
    *p = {r * d.x, r * d.y, r * d.z};
    *pu = {ru * d.x + r * du.x, ru * d.y + r * du.y, ru * d.z + r * du.z};
    *pv = {rv * d.x + r * dv.x, rv * d.y + r * dv.y, rv * d.z + r * dv.z};
}
