// The three shared matrices and the window rectangle their projection is
// built from.
#pragma once

#include <cstdint>

#include "math/mat4.h"

// A window's rectangle in screen coordinates; laid out like the Win32 RECT.
struct ScreenRect {
    int32_t left, top, right, bottom;
};

// The show window's rectangle once it fills the screen; written by the shell.
extern ScreenRect windowRect;

extern Mat4 worldMatrix;
extern Mat4 viewMatrix;
extern Mat4 projectionMatrix;

// Identity world, the start-up camera at (0, 0, 30) aimed at the origin, and
// the projection whose aspect comes from windowRect.
void setStartupMatrices();
