// Box-filter downsampling for supersampled captures.
#include "box_filter.h"

#include <cstddef>

void boxDownsample(uint8_t* out, const uint8_t* in, int outWidth, int outHeight, int factor) {
    const size_t inRow = static_cast<size_t>(outWidth) * factor * 4;
    const uint32_t count = static_cast<uint32_t>(factor * factor);
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int sy = 0; sy < factor; ++sy) {
                const uint8_t* p = in + (static_cast<size_t>(y) * factor + sy) * inRow +
                                   static_cast<size_t>(x) * factor * 4;
                for (int sx = 0; sx < factor * 4; sx += 4)
                    for (int c = 0; c < 4; ++c) sum[c] += p[sx + c];
            }
            uint8_t* o = out + (static_cast<size_t>(y) * outWidth + x) * 4;
            for (int c = 0; c < 4; ++c) o[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
        }
    }
}
