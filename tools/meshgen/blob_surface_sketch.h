// The blob's radius sketch: the shape-preserving bicubic through node values
// on the +X face that the smooth radius field is made from.
#pragma once

constexpr int blobTableSize = 11;  // u and v from 0 to 1 in steps of 0.1
constexpr double blobTableStep = 0.1;

// Node values: the radius along (1, u, v) at u = 0.1 a, v = 0.1 b, used for
// b >= a; the rest of the face follows from its symmetries.
struct BlobNodes {
    double radius[blobTableSize][blobTableSize];
};

// The measured radii the blob must show along the table's directions.
extern const BlobNodes blobRadiusTable;

// Rebuilds the sketch through the given node values.
void buildBlobSketch(const BlobNodes& nodes);

// Radius of the sketch along (1, u, v) for |u|, |v| <= 1.1, with its partial
// derivatives along u and v.
double blobSketchRadius(double* ru, double* rv, double u, double v);
