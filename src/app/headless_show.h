// The show's start-up on a headless context: the fixed render state, the
// start-up matrices for a window of the framebuffer's size, the programs with
// their uniforms and the uploaded meshes, as the shells do before the first
// frame. A frame n is then drawn with frameCounter = n - 1 and renderFrame().
#pragma once

// Call after headlessInit. Returns false when the context is not ready or a
// shader program does not build.
bool headlessStartShow();
