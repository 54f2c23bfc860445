// The Kaiser window (Kaiser and Schafer, "On the use of the I0-sinh window
// for spectrum analysis", IEEE Trans. ASSP 28(1), 1980), shared by the
// oscillators' band-limited step and the true-peak interpolator.
#pragma once

#include <cmath>

// The modified Bessel function of the first kind, order 0, by its series;
// forty terms reach double precision for the betas used here (below 20).
inline double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// The window at r, from -1 to 1 across its width; 0 outside.
inline double kaiserWindow(double r, double beta) {
    return besselI0(beta * std::sqrt(std::fmax(0.0, 1.0 - r * r))) / besselI0(beta);
}
