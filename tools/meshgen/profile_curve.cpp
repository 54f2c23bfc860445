// Monotone cubic Hermite interpolation (Fritsch-Carlson).
#include "profile_curve.h"

#include <cmath>

void buildProfileCurve(ProfileCurve* out, const double* xs, const double* ys, int count) {
    out->xs.assign(xs, xs + count);
    out->ys.assign(ys, ys + count);
    out->slopes.assign(count, 0.0);
    for (int i = 1; i + 1 < count; ++i) {
        double h0 = xs[i] - xs[i - 1], h1 = xs[i + 1] - xs[i];
        double d0 = (ys[i] - ys[i - 1]) / h0, d1 = (ys[i + 1] - ys[i]) / h1;
        if (d0 * d1 <= 0.0) continue;
        // Weighted harmonic mean of the neighbouring secants.
        double w0 = 2.0 * h1 + h0, w1 = h1 + 2.0 * h0;
        out->slopes[i] = (w0 + w1) / (w0 / d0 + w1 / d1);
    }
}

double profileValue(const ProfileCurve& curve, double x) {
    x = std::fabs(x);
    size_t n = curve.xs.size();
    if (x >= curve.xs[n - 1]) return curve.ys[n - 1];
    size_t i = 0;
    while (curve.xs[i + 1] <= x) ++i;
    double h = curve.xs[i + 1] - curve.xs[i];
    double t = (x - curve.xs[i]) / h;
    double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * curve.ys[i] + (t3 - 2 * t2 + t) * h * curve.slopes[i] +
           (-2 * t3 + 3 * t2) * curve.ys[i + 1] + (t3 - t2) * h * curve.slopes[i + 1];
}
