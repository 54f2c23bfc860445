// Averaging a supersampled RGBA picture down to the output size.
#pragma once

#include <cstdint>

// Each output pixel is the rounded mean of a factor x factor block of the
// input, which is (outWidth * factor) x (outHeight * factor) pixels. All four
// channels are averaged. out holds outWidth * outHeight * 4 bytes.
void boxDownsample(uint8_t* out, const uint8_t* in, int outWidth, int outHeight, int factor);
