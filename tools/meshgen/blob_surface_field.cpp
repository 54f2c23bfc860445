// The blob's radius field: the sketch through the measured table, softened
// by a small Gaussian blur so that the rims and feet of its walls are round
// on the scale of the mesh, with its node values corrected until the soft
// field meets the table again.
//
// The sketch keeps every wall between its two nodes and flattens out at
// both, so each rim and foot bends through up to 80 degrees within a few
// thousandths of a unit: far tighter than the table implies. Blurred, each
// bend spans a few grid lines, which the face grid then crowds onto. The blur
// works on a raster of the face in face coordinates that reaches a little
// beyond the face's border (there the sketch of the neighbouring face is
// folded back); a cubic B-spline over the raster gives the field and its
// derivatives.
#include "blob_surface_field.h"
#include "bspline.h"

#include "blob_surface_sketch.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Blur radius (standard deviation) in face coordinates: about 0.02 units on
// the surface, one grid cell, a sixth of a sketch cell. At 0.025 the narrow
// ridges between the pits blur so far that the corrected nodes overshoot
// (the pits sink to 0.87, below their floor of 0.898), and the shading is no
// calmer.
constexpr double blurSigma = 0.015;
constexpr double rasterStep = 1.0 / 256;
constexpr int rasterHalf = 284;  // reaches 1.11 in face coordinates, 4 sigma beyond the border
constexpr int rasterSide = 2 * rasterHalf + 1;
// Rounds of correcting the sketch's nodes by what the soft field misses.
constexpr int correctionRounds = 6;

struct SoftField {
    bool ready = false;
    // rasterSide^2 samples, at face coordinates (i, j) * rasterStep with i and j
    // from -rasterHalf to rasterHalf, index (i + rasterHalf) * rasterSide + j + rasterHalf.
    std::vector<double> value;
    double offset = 0;  // makes the boss on the axis exact
};

SoftField field;

void sampleSketch(std::vector<double>* out) {
    out->resize(size_t(rasterSide) * rasterSide);
    for (int i = -rasterHalf; i <= rasterHalf; ++i)
        for (int j = -rasterHalf; j <= rasterHalf; ++j) {
            double u, v, ru, rv;
            blobFoldDirection(&u, &v, 1.0, i * rasterStep, j * rasterStep);
            (*out)[size_t(i + rasterHalf) * rasterSide + (j + rasterHalf)] =
                blobSketchRadius(&ru, &rv, u, v);
        }
}

// Separable Gaussian blur; the outermost samples are held at the raster's edge.
void blur(std::vector<double>* raster) {
    const int reach = int(std::ceil(4 * blurSigma / rasterStep));
    std::vector<double> kernel(2 * reach + 1);
    double total = 0;
    for (int k = -reach; k <= reach; ++k) {
        double x = k * rasterStep / blurSigma;
        kernel[k + reach] = std::exp(-0.5 * x * x);
        total += kernel[k + reach];
    }
    for (double& w : kernel) w /= total;
    std::vector<double> tmp(raster->size());
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<double>& in = *raster;
        for (int i = 0; i < rasterSide; ++i)
            for (int j = 0; j < rasterSide; ++j) {
                double sum = 0;
                for (int k = -reach; k <= reach; ++k) {
                    int jj = std::clamp(j + k, 0, rasterSide - 1);
                    sum += kernel[k + reach] * in[size_t(i) * rasterSide + jj];
                }
                // Written transposed, so the second pass blurs along the other axis.
                tmp[size_t(j) * rasterSide + i] = sum;
            }
        raster->swap(tmp);
    }
}

// The field at (u, v) with its first derivatives and, when second is given,
// its second ones (uu, uv, vv).
double evaluate(double* ru, double* rv, double u, double v, double* second = nullptr) {
    double s[6];
    bsplineSample(s, field.value.data(), rasterHalf, rasterStep, u, v);
    *ru = s[1];
    *rv = s[2];
    if (second) {
        second[0] = s[3];
        second[1] = s[4];
        second[2] = s[5];
    }
    return s[0] + field.offset;
}

void buildField() {
    BlobNodes nodes = blobRadiusTable;
    for (int round = 0;; ++round) {
        buildBlobSketch(nodes);
        sampleSketch(&field.value);
        blur(&field.value);
        if (round == correctionRounds) break;
        for (int a = 0; a < blobTableSize; ++a)
            for (int b = a; b < blobTableSize; ++b) {
                double ru, rv;
                double soft = evaluate(&ru, &rv, a * blobTableStep, b * blobTableStep);
                nodes.radius[a][b] += blobRadiusTable.radius[a][b] - soft;
            }
    }
    double ru, rv;
    field.offset = blobRadiusTable.radius[0][0] - evaluate(&ru, &rv, 0, 0);
    field.ready = true;
}

}  // namespace

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

void blobRadius(double* r, double* ru, double* rv, double u, double v, double* second) {
    if (!field.ready) buildField();
    *r = evaluate(ru, rv, u, v, second);
}
