// The start of the music, with the values the show fixes: the default
// device at 44.1 kHz, "c.ogg" from the working directory, played at once.
// Every shell calls it once, after the meshes are uploaded.
#pragma once

void startMusic();
