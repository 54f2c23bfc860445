// The camera step and the scene layers. Until the shaders and meshes are in
// place each step draws nothing; the frame clock already calls them at their
// fixed places.
#include "show/layers.h"

void cameraStep(double) {}
void backdropLayer(double) {}
void ringLayer(double) {}
void blobLayer(double) {}
void curtainLayer(double) {}
