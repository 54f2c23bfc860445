// Uniform cubic B-spline weights, shared by the blob's tabulated fields.
#pragma once

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
