// The last touch to the blob's face mesh: points slide over the surface,
// one group of mirror images at a time, wherever that brings an edge that
// is too long or too short back into range without harming anything else.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Moves the points of one face's quads, given by their face coordinates
// (u[k], v[k]). The mesh keeps the face's eight symmetries exactly: a point
// and its mirror images move together, points on the mirror lines stay on
// them, the face's corners and centre stay put and points on its border
// slide along it.
// everyWay: where a step down the slope harms a quad, a point with an edge
// out of range also tries steps in eight directions (slower).
void tidyFaceEdges(const std::vector<std::array<uint32_t, 4>>& quads, std::vector<double>* u,
                   std::vector<double>* v, bool everyWay);
