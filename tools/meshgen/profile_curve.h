// Smooth monotone curves through a handful of measured points, used to shape
// the ring's lobes: a piecewise cubic that never overshoots its points.
#pragma once

#include <vector>

struct ProfileCurve {
    std::vector<double> xs;  // increasing
    std::vector<double> ys;
    std::vector<double> slopes;  // dy/dx at each point
};

// Fritsch-Carlson slopes: flat at the ends and at local extremes, so the curve
// is C1 and stays within the range of each pair of neighbouring points.
void buildProfileCurve(ProfileCurve* out, const double* xs, const double* ys, int count);

// Value at |x|: the curves are even; beyond the last point the last value.
double profileValue(const ProfileCurve& curve, double x);
