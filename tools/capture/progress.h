// The progress line of long captures on stderr: frames done, frames per
// second and the time left.
#pragma once

// Starts counting `total` frames; with quiet set nothing is ever printed.
void progressBegin(int total, bool quiet);

// One more frame done; reprints the line at most twice a second.
void progressAdvance();

// Prints the final line (frames, rate, time taken) and ends it.
void progressEnd();
