// The fixed render state set once at start-up.
#pragma once

// Background clear colour and depth, depth test on, counter-clockwise front
// faces, back faces culled.
void setFixedRenderState();
