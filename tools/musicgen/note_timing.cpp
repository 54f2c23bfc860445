// Where rows fall: a beat is 60 / tempo seconds, a row a quarter of that.
// Beats land on whole samples whenever the tempo makes them whole (144 beats
// a minute: 18375 samples a beat), since the product is rounded only once.
#include "note_timing.h"

#include <cmath>

#include "sample_rate.h"

long rowSample(const Score& score, long row) {
    const double rowSamples = 60.0 * kSampleRate / (score.tempo * kRowsPerBeat);
    const double late = (row % 2 == 1) ? score.swing * rowSamples : 0.0;
    return std::lround(row * rowSamples + late);
}
