// Where a video's music comes from: c.ogg in the working folder, as the show
// plays it, or else the one beside qorv-capture itself.
#pragma once

#include <string>

// The path of the music to mux, or empty when neither place holds a readable
// c.ogg.
std::string findMusicFile();
