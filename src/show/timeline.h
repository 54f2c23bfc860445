// The frame numbers at which the show changes. n is the frame number, the
// frame counter after its increment; every cut is compared exactly with whole
// doubles, and each has its own rule, so each has its own name.
#pragma once

// The curtains are drawn while n < this.
constexpr double kCurtainsEndFrame = 2000.0;

// The rings grow from these frames on, at two rates, and are drawn while
// n < kRingsEndFrame.
constexpr double kRingGrowthFrame = 1900.0;
constexpr double kRingSecondGrowthFrame = 2300.0;
constexpr double kRingsEndFrame = 3500.0;

// The background fades once the frames done before this one (n - 1) reach
// this: frame 3501 still has the full colour (n - 1 - this is 0), and from
// frame 3502 on it is black, in one step (see backgroundColor).
constexpr double kBackgroundFadeFrame = 3500.0;

// The blob grows from kBlobGrowthFrame, holds the size it has reached at
// kBlobFullSizeFrame, and is drawn while n < kBlobEndFrame.
constexpr double kBlobGrowthFrame = 2100.0;
constexpr double kBlobFullSizeFrame = 4000.0;
constexpr double kBlobEndFrame = 8000.0;

// The last frame shown: the frame with n > this ends the show unpresented.
constexpr double kLastPresentedFrame = 8000.0;
