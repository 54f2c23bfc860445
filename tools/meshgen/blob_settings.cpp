// The blob's settings by name, for qorv-meshgen's --set and --settings.
#include "blob_settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "blob_mesh_limits.h"

namespace {

struct Setting {
    const char* name;
    double* real;
    int* count;
};

const Setting settings[] = {
    {"SizeScale", &blobSizeScale, nullptr},
    {"SizeMax", &blobSizeMax, nullptr},
    {"FlatSide", &blobFlatSide, nullptr},
    {"BendScale", &blobBendScale, nullptr},
    {"FirstSplitSweeps", nullptr, &blobFirstSplitSweeps},
    {"SecondSplitSweeps", nullptr, &blobSecondSplitSweeps},
    {"SmoothingPasses", nullptr, &blobSmoothingPasses},
    {"ShortestEdge", &blobShortestEdge, nullptr},
    {"LongestEdge", &blobLongestEdge, nullptr},
    {"CentreOffset", &blobCentreOffset, nullptr},
    {"CentreAngle", &blobCentreAngle, nullptr},
    {"RelaxCornerSine", &blobRelaxCornerSine, nullptr},
    {"SmoothCornerSine", &blobSmoothCornerSine, nullptr},
};

}  // namespace

bool setBlobSetting(const char* name, double value) {
    for (const Setting& s : settings) {
        if (std::strcmp(s.name, name) != 0) continue;
        if (!std::isfinite(value) || value < 0) return false;
        if (s.real) {
            *s.real = value;
            return true;
        }
        if (value != std::floor(value) || value > 1e6) return false;
        *s.count = int(value);
        return true;
    }
    return false;
}

void printBlobSettings() {
    for (const Setting& s : settings) {
        if (s.real)
            std::printf("%s %.10g\n", s.name, *s.real);
        else
            std::printf("%s %d count\n", s.name, *s.count);
    }
}
