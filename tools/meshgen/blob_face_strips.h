// Closed strips of quads laid through one face's quads where they are too
// long or bend too far: each strip halves the quads it runs through and
// closes on itself, so the face stays all quads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The face's quads, with corners at face coordinates (u[k], v[k]), and for
// each quad the grid quad it lies in. Strips are laid within the face's
// eighth 0 < u < v < 1, each with its seven mirror images, so the face
// keeps its symmetries exactly. New points are appended to u and v; a cut
// quad keeps its place for its first piece and its other pieces are
// appended, with its grid quad. fresh marks every quad that is new or
// changed. No strip is laid that would take the face past quadLimit quads.
void layFaceStrips(std::vector<std::array<uint32_t, 4>>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit);
