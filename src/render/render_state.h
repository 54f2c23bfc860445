// The fixed render state set once at start-up.
#pragma once

// The dark brown the show clears to until the background fades.
constexpr float kBackgroundColor[4] = {0.2f, 0.1f, 0.0f, 1.0f};

// Background clear colour and depth, depth test on, counter-clockwise front
// faces, back faces culled.
void setFixedRenderState();
