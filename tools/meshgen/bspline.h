// Uniform cubic B-spline weights, shared by the blob's tabulated fields.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

// The weights of the four samples around t in [0, 1) and their first and
// second derivatives.
inline void bspline(double w[4], double dw[4], double ddw[4], double t) {
    double s = 1 - t;
    w[0] = s * s * s / 6;
    w[1] = (3 * t * t * t - 6 * t * t + 4) / 6;
    w[2] = (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6;
    w[3] = t * t * t / 6;
    dw[0] = -s * s / 2;
    dw[1] = (3 * t * t - 4 * t) / 2;
    dw[2] = (-3 * t * t + 2 * t + 1) / 2;
    dw[3] = t * t / 2;
    ddw[0] = s;
    ddw[1] = 3 * t - 2;
    ddw[2] = 1 - 3 * t;
    ddw[3] = t;
}

// A square raster of side 2 * half + 1 samples, step apart, centred on 0,
// read through the cubic B-spline at (u, v): out holds the value, its
// derivatives along u and v, and the second ones (uu, uv, vv).
inline void bsplineSample(double out[6], const double* raster, int half, double step, double u,
                          double v) {
    const int side = 2 * half + 1;
    double fu = u / step + half, fv = v / step + half;
    int i = std::clamp(int(std::floor(fu)), 1, side - 3);
    int j = std::clamp(int(std::floor(fv)), 1, side - 3);
    double wu[4], dwu[4], ddwu[4], wv[4], dwv[4], ddwv[4];
    bspline(wu, dwu, ddwu, fu - i);
    bspline(wv, dwv, ddwv, fv - j);
    double r = 0, dr_u = 0, dr_v = 0, dr_uu = 0, dr_uv = 0, dr_vv = 0;
    for (int a = 0; a < 4; ++a) {
        const double* row = &raster[size_t(i - 1 + a) * side + (j - 1)];
        double along = 0, slope = 0, bend = 0;
        for (int b = 0; b < 4; ++b) {
            along += wv[b] * row[b];
            slope += dwv[b] * row[b];
            bend += ddwv[b] * row[b];
        }
        r += wu[a] * along;
        dr_u += dwu[a] * along;
        dr_v += wu[a] * slope;
        dr_uu += ddwu[a] * along;
        dr_uv += dwu[a] * slope;
        dr_vv += wu[a] * bend;
    }
    out[0] = r;
    out[1] = dr_u / step;
    out[2] = dr_v / step;
    out[3] = dr_uu / (step * step);
    out[4] = dr_uv / (step * step);
    out[5] = dr_vv / (step * step);
}
