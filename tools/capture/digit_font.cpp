// The 3 x 5 digit glyphs and drawing a number with them.
#include "digit_font.h"

#include <cstdio>

namespace {

// One row per byte, the three low bits left to right (4 = left column).
const uint8_t kGlyphs[10][kDigitHeight] = {
    {7, 5, 5, 5, 7},  // 0
    {2, 6, 2, 2, 7},  // 1
    {7, 1, 7, 4, 7},  // 2
    {7, 1, 7, 1, 7},  // 3
    {5, 5, 7, 1, 1},  // 4
    {7, 4, 7, 1, 7},  // 5
    {7, 4, 7, 5, 7},  // 6
    {7, 1, 2, 2, 2},  // 7
    {7, 5, 7, 5, 7},  // 8
    {7, 5, 7, 1, 7},  // 9
};

int toDigits(char* digits, int number) {
    return std::snprintf(digits, 12, "%d", number < 0 ? 0 : number);
}

}  // namespace

int numberWidth(int number, int scale) {
    char digits[12];
    int count = toDigits(digits, number);
    return (count * (kDigitWidth + 1) - 1) * scale;
}

void drawNumber(uint8_t* rgba, int width, int height, int x, int y, int number, int scale,
                const uint8_t* rgb) {
    char digits[12];
    int count = toDigits(digits, number);
    for (int d = 0; d < count; ++d) {
        const uint8_t* glyph = kGlyphs[digits[d] - '0'];
        const int left = x + d * (kDigitWidth + 1) * scale;
        for (int row = 0; row < kDigitHeight * scale; ++row) {
            const int py = y + row;
            if (py < 0 || py >= height) continue;
            for (int col = 0; col < kDigitWidth * scale; ++col) {
                const int px = left + col;
                if (px < 0 || px >= width) continue;
                if (!(glyph[row / scale] & (4 >> (col / scale)))) continue;
                uint8_t* p = rgba + (static_cast<size_t>(py) * width + px) * 4;
                p[0] = rgb[0];
                p[1] = rgb[1];
                p[2] = rgb[2];
                p[3] = 255;
            }
        }
    }
}
