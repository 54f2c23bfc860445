// A tiny built-in bitmap font: the ten digits, 3 x 5 cells, for frame labels
// on contact sheets.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kDigitWidth = 3;
constexpr int kDigitHeight = 5;

// Width in pixels of a number drawn at this scale (one empty column between
// digits).
int numberWidth(int number, int scale);

// Draws a non-negative number into an RGBA image with its top-left corner at
// (x, y), each font cell a scale x scale square of colour rgb. Pixels outside
// the image are skipped.
void drawNumber(uint8_t* rgba, int width, int height, int x, int y, int number, int scale,
                const uint8_t* rgb);
