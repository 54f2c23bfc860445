// The blob's radius sketch: a shape-preserving bicubic interpolation of node
// values over the +X face, extended by the cube's symmetry.
//
// The nodes hold the radius along (1, u, v) for 0 <= u <= v <= 1 in steps of
// 0.1. Every node of the face grid [-1, 1]^2 takes its value from them
// through the face's eight symmetries; one ring of nodes beyond the face's
// border takes the radius of the neighbouring faces, so that the slopes at
// the cube's edges continue smoothly into the next face.
#include "blob_surface_sketch.h"

#include "blob_surface_field.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int tableSize = blobTableSize;
constexpr double step = blobTableStep;

constexpr int halfNodes = tableSize;  // nodes -11 .. 11, the outer ring beyond the face
constexpr int nodes = 2 * halfNodes + 1;

struct FieldGrid {
    double value[nodes][nodes];  // [u node][v node]
    double slopeU[nodes][nodes];
    double slopeV[nodes][nodes];
};

FieldGrid grid;

double nodeValue(const BlobNodes& table, int i, int j) {
    int a = std::abs(i), b = std::abs(j);
    return table.radius[std::min(a, b)][std::max(a, b)];
}

// Slope at a node from its two neighbours: zero at a local extremum, else the
// harmonic mean of the two one-sided slopes, which keeps every interval of
// the interpolant between its end values (no overshoot at the steep walls).
double limitedSlope(double before, double at, double after) {
    double left = (at - before) / step, right = (after - at) / step;
    if (left * right <= 0.0) return 0.0;
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

void buildGrid(const BlobNodes& table) {
    for (int i = -halfNodes; i <= halfNodes; ++i)
        for (int j = -halfNodes; j <= halfNodes; ++j) {
            // First guess for the outer ring: the mirror image across the border.
            int a = std::abs(i) > 10 ? (i > 0 ? 9 : -9) : i;
            int b = std::abs(j) > 10 ? (j > 0 ? 9 : -9) : j;
            grid.value[i + halfNodes][j + halfNodes] = nodeValue(table, a, b);
        }
    computeSlopes();
    // The outer ring lies in the neighbouring faces: fold its directions back
    // and take the interpolated radius there, twice so the guess settles.
    for (int pass = 0; pass < 2; ++pass) {
        double ring[nodes][nodes];
        for (int i = -halfNodes; i <= halfNodes; ++i)
            for (int j = -halfNodes; j <= halfNodes; ++j) {
                if (std::abs(i) <= 10 && std::abs(j) <= 10) continue;
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

}  // namespace

// Radius along (1, u, v), row u, column v (only v >= u is used).
// Four entries carry the measured values where the table rounds them: the
// boss on the axis, the deepest pit, the top of the edge band at the edge's
// midpoint, and the band's outer flank that sets the blob's extent of 1.798.
const BlobNodes blobRadiusTable = {{
    {1.50543, 1.49, 1.49, 1.50, 1.53, 1.68, 2.094, 2.10, 2.11, 2.13, 2.149},
    {0, 1.08, 0.95, 0.98, 1.50, 1.67, 2.01, 1.29, 1.21, 1.22, 2.13},
    {0, 0, 0.898, 0.92, 1.47, 1.63, 2.00, 1.33, 1.23, 1.24, 2.11},
    {0, 0, 0, 0.94, 1.50, 1.57, 1.86, 2.03, 1.99, 2.05, 2.11},
    {0, 0, 0, 0, 1.54, 1.54, 1.57, 1.62, 1.71, 1.83, 1.94},
    {0, 0, 0, 0, 0, 1.04, 0.99, 1.46, 1.52, 1.55, 1.57},
    {0, 0, 0, 0, 0, 0, 0.92, 0.93, 0.98, 1.46, 1.54},
    {0, 0, 0, 0, 0, 0, 0, 0.92, 0.95, 1.05, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0.97, 1.09, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 1.48, 1.52},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.53},
}};

void buildBlobSketch(const BlobNodes& nodes) { buildGrid(nodes); }

double blobSketchRadius(double* ru, double* rv, double u, double v) {
    return evaluate(ru, rv, u, v);
}
