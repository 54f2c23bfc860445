// The camera step and the four layers of a frame, each a function of the
// frame number n alone.
#pragma once

void cameraStep(double n);
void backdropLayer(double n);
void ringLayer(double n);
void blobLayer(double n);
void curtainLayer(double n);
