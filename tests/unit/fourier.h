// Spectra for the synthesiser's tests: a radix-2 FFT of a windowed signal,
// and the interpolated frequency of a spectral peak.
#pragma once

#include <cmath>
#include <complex>
#include <vector>

// The magnitudes of the first n/2 + 1 bins of x (its size a power of two)
// under a window: Hann, or the 4-term Blackman-Harris (sidelobes -92 dB).
enum class Window { hann, blackmanHarris };

inline std::vector<double> magnitudeSpectrum(const std::vector<double>& x, Window window) {
    const size_t n = x.size();
    const double pi = 3.14159265358979323846;
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = 2.0 * pi * double(i) / double(n);
        const double w = window == Window::hann
                             ? 0.5 - 0.5 * std::cos(t)
                             : 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) -
                                   0.01168 * std::cos(3 * t);
        a[i] = x[i] * w;
    }
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * pi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
    std::vector<double> m(n / 2 + 1);
    for (size_t i = 0; i < m.size(); ++i) m[i] = std::abs(a[i]);
    return m;
}

// The frequency (Hz) of the largest bin between lowHz and highHz, refined by
// a parabola through the log magnitudes of it and its two neighbours (the
// interpolated FFT peak; Smith and Serra, "PARSHL", ICMC 1987).
inline double peakFrequency(const std::vector<double>& mags, double rate, double lowHz,
                            double highHz) {
    const double binHz = rate / double(2 * (mags.size() - 1));
    size_t best = size_t(lowHz / binHz);
    for (size_t i = best; i <= size_t(highHz / binHz); ++i)
        if (mags[i] > mags[best]) best = i;
    const double a = std::log(mags[best - 1]), b = std::log(mags[best]),
                 c = std::log(mags[best + 1]);
    return (double(best) + 0.5 * (a - c) / (a - 2 * b + c)) * binHz;
}
