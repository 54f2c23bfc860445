// The limits the blob's mesh is built to, in one place. The mesh must keep
// every triangle edge, quad sides and centre spokes alike, within 0.004 to
// 0.056, and each centre near its corners' mean (0.003 for nearly all
// quads) with its normal close to theirs; the construction aims a little
// inside each limit, and the margins below say by how much. They are
// settings (blob_settings.h): qorv-meshgen can change them for one run.
#pragma once

// Shortest side or spoke the relaxation and smoothing leave: 0.0005 above
// the 0.004 floor, so that float rounding of the stored points keeps every
// edge above it.
inline double blobShortestEdge = 0.0045;
// Longest side or spoke the smoothing aims for: 0.003 under the 0.056
// ceiling, room for the centre to move once the corners have settled.
inline double blobLongestEdge = 0.053;
// A centre's distance from its corners' mean that the smoothing starts to
// count: 0.0005 under the 0.003 that nearly all quads must keep.
inline double blobCentreOffset = 0.0025;
// Angle in degrees between a centre's normal and its corners' mean normal
// that the smoothing starts to count: 1.7 under the 12.2 degrees that 99 %
// of quads must keep, so that the worst few stay well under 22.
inline double blobCentreAngle = 10.5;
// Smallest sine of a quad's corner angle in face coordinates that the
// relaxation lets a quad reach (it never makes a worse corner worse), and
// the smaller one the smoothing allows: below these, quads sheared across
// a steep wall fold once the centre is added.
inline double blobRelaxCornerSine = 0.2;
inline double blobSmoothCornerSine = 0.1;
