// The shading error of one picture against the reference's.
#include "shading_compare.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Pixels whose whole square of radius kShadingOutlineMargin lies in the
// mask (the picture's own edge is no outline).
void interiorOf(std::vector<uint8_t>* out, const std::vector<uint8_t>& mask, int width,
                int height) {
    const int r = kShadingOutlineMargin;
    std::vector<uint8_t> rows(mask.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t all = 1;
            for (int d = std::max(0, x - r); d <= std::min(width - 1, x + r); ++d)
                all &= mask[size_t(y) * width + d];
            rows[size_t(y) * width + x] = all;
        }
    out->assign(mask.size(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t all = 1;
            for (int d = std::max(0, y - r); d <= std::min(height - 1, y + r); ++d)
                all &= rows[size_t(d) * width + x];
            (*out)[size_t(y) * width + x] = all;
        }
}

}  // namespace

void compareShading(ShadingFigures* out, int width, int height, const std::vector<uint8_t>& rgba,
                    const std::vector<uint8_t>& mask, const std::vector<uint8_t>& referenceRgba,
                    const std::vector<uint8_t>& referenceMask) {
    std::vector<uint8_t> inner, referenceInner;
    interiorOf(&inner, mask, width, height);
    interiorOf(&referenceInner, referenceMask, width, height);
    size_t histogram[256] = {}, covered = 0, over = 0, interior = 0, interiorOver = 0;
    double sum = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (!mask[i] && !referenceMask[i]) continue;
        int d = 0;
        for (int c = 0; c < 3; ++c)
            d = std::max(d, std::abs(rgba[4 * i + c] - referenceRgba[4 * i + c]));
        ++histogram[d];
        ++covered;
        sum += d;
        over += d > 8;
        if (inner[i] && referenceInner[i]) ++interior, interiorOver += d > 8;
    }
    out->mean = covered ? sum / covered : 0;
    out->over8 = covered ? double(over) / covered : 0;
    out->over8Interior = interior ? double(interiorOver) / interior : 0;
    // The smallest difference that 99 % of the covered pixels do not exceed.
    size_t below = 0;
    out->p99 = 0;
    for (int d = 0; d < 256; ++d) {
        below += histogram[d];
        if (below >= 0.99 * double(covered)) {
            out->p99 = d;
            break;
        }
    }
}
