// Where the score's rows fall in samples.
#pragma once

#include "score.h"

// The first sample of a row counted from bar 0 (16 rows a bar), at the
// score's tempo, with every second row late by the swing.
long rowSample(const Score& score, long row);
