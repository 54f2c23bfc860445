// The rate everything is rendered and encoded at: the rate the show opens its
// output device at, so the desktop plays the file without resampling.
#pragma once

constexpr int kSampleRate = 44100;
