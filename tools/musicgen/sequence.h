// The score unrolled into timed notes, instrument by instrument.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "score.h"

struct TimedNote {
    long start = 0;   // first sample
    long length = 0;  // samples the note is held
    int pitch = -1;   // MIDI, -1 for a hit
    double velocity = 1.0;
    // Settings that a sweep moves, at the note's start.
    std::vector<std::pair<std::string, double>> sweeps;
};

// out[i]: the notes of instrument i in order of start. Each track repeats its
// patterns until its section ends; a note that would sound past that end is
// cut there.
void sequenceScore(std::vector<std::vector<TimedNote>>* out, const Score& score);
