// The last mending of one face's quads: each side still out of range,
// with its two quads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Each side still out of range that lies within the eighth, with its two
// quads: their hexagon is split again along another diagonal, or into
// three quads around a new point joined to every other corner, or into four
// around two new points, whichever adds fewest quads and keeps all new
// edges in range. One or two quads added mend a long side where a strip
// would add a dozen, and a side too short to keep goes with no new quad.
// The side's mirror images go with it; nothing takes the face past
// quadLimit quads.
void mendFaceSides(std::vector<std::array<uint32_t, 4>>* quads, std::vector<uint32_t>* gridQuadOf,
                   std::vector<char>* fresh, std::vector<double>* u, std::vector<double>* v,
                   size_t quadLimit);
