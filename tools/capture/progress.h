// The progress line of long captures on stderr: frames done, frames per
// second and the time left.
#pragma once

#include <string>

// Starts counting `total` frames; with quiet set nothing is ever printed.
// `label` ends every line (how many workers, which renderer).
void progressBegin(int total, bool quiet, const std::string& label);

// One more frame done; reprints the line at most twice a second.
void progressAdvance();

// Prints the final line (frames, rate, time taken) and ends it.
void progressEnd();
