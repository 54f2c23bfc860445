// The settings that shape the blob's mesh, beside the limits it is built to
// (blob_mesh_limits.h). The embedded mesh is always made with the values
// here; qorv-meshgen --set NAME=VALUE changes one for a run, so that
// bench/blob_settings_sweep.sh can show the margins they keep.
#pragma once

// Step 1: the coarse remesh's target edge length, sqrt(blobSizeScale /
// curvature) and at most blobSizeMax. With these values nearly all of the
// domain takes blobSizeMax; only the tightest rims ask for less.
inline double blobSizeScale = 4;
inline double blobSizeMax = 0.17;
// Step 4: the spring metric's two scales, the side of a quad on the flat and
// the length over which a turn of the normal counts as much as that side.
inline double blobFlatSide = 0.045;
inline double blobBendScale = 0.02;
// Sweeps of the spring relaxation after the first split and after the
// second, and passes of the smoothing. Measured: fewer sweeps leave quads
// that bend too far; more change nothing the figures show.
inline int blobFirstSplitSweeps = 100;
inline int blobSecondSplitSweeps = 150;
inline int blobSmoothingPasses = 10;

// Sets the setting of that name (its name here, or in blob_mesh_limits.h,
// without "blob": "FlatSide", "ShortestEdge"); a count takes whole numbers
// only. False, changing nothing, for any other name or value.
bool setBlobSetting(const char* name, double value);

// Every setting with its value, a line each: NAME VALUE, and "count" after
// the counts.
void printBlobSettings();
