// The backdrop (first cut: lattice points and vertical tiles).
#include "backdrop.h"

#include <cmath>

namespace {

const int rowCount = 17;
const int rowLength[rowCount] = {16, 17, 16, 17, 17, 17, 16, 17, 17, 16, 17, 17, 17, 17, 16, 17, 14};
const int columnCount = 16;
const int columnTiles[columnCount] = {7, 10, 8, 11, 9, 7, 9, 7, 10, 9, 7, 7, 7, 5, 8, 10};

}  // namespace

void buildBackdrop(TriangleMesh* out) {
    out->vertices.clear();
    int rowStart[rowCount];
    int start = 0;
    for (int r = 0; r < rowCount; ++r) {
        rowStart[r] = start;
        for (int a = 0; a < rowLength[r]; ++a) {
            float rec[6] = {float(a - 8), 0.0f, float(r - 8), 0, 0, 0};
            storeNormal(rec + 3, 0, 1, 0);
            out->vertices.insert(out->vertices.end(), rec, rec + 6);
        }
        start += rowLength[r];
    }
    out->indices.clear();
    for (int c = 0; c < columnCount; ++c) {
        for (int t = 0; t < columnTiles[c]; ++t) {
            int r = t + 1;
            uint32_t p = uint32_t(rowStart[r] + c - (c >= rowLength[r] - 1 ? 2 : 0));
            uint32_t q = uint32_t(rowStart[r - 1] + c - (c >= rowLength[r - 1] - 1 ? 2 : 0));
            uint32_t corners[4] = {p, p + 1, q + 1, q};
            out->indices.insert(out->indices.end(), corners, corners + 4);
        }
    }
    out->drawnIndexCount = 393;
}
