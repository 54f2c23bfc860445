// Unrolls the order lists: each section's tracks play their patterns in turn,
// from the section's first bar to its last, and every note gets its sample
// times and the swept settings of its moment.
#include "sequence.h"

#include <algorithm>

#include "note_timing.h"

void sequenceScore(std::vector<std::vector<TimedNote>>* out, const Score& score) {
    out->assign(score.instruments.size(), {});
    for (const Section& section : score.sections) {
        const long sectionStart = long(section.startBar) * kRowsPerBar;
        const long sectionEnd = long(section.endBar) * kRowsPerBar;
        const long startSample = rowSample(score, sectionStart);
        const long endSample = rowSample(score, sectionEnd);
        for (const Track& track : section.tracks) {
            long at = sectionStart;
            for (size_t i = 0; at < sectionEnd; i = (i + 1) % track.patterns.size()) {
                const Pattern& pattern = score.patterns[track.patterns[i]];
                for (const PatternNote& note : pattern.notes) {
                    const long row = at + note.row;
                    if (row >= sectionEnd) continue;
                    const long endRow = std::min(row + note.length, sectionEnd);
                    TimedNote timed;
                    timed.start = rowSample(score, row);
                    timed.length = rowSample(score, endRow) - timed.start;
                    timed.pitch = note.pitch;
                    timed.velocity = note.velocity;
                    const double along =
                        double(timed.start - startSample) / double(endSample - startSample);
                    for (const Sweep& sweep : section.sweeps)
                        if (sweep.instrument == track.instrument)
                            timed.sweeps.emplace_back(sweep.setting,
                                                      sweep.from + (sweep.to - sweep.from) * along);
                    (*out)[track.instrument].push_back(timed);
                }
                at += long(pattern.bars) * kRowsPerBar;
            }
        }
    }
    for (std::vector<TimedNote>& notes : *out)
        std::stable_sort(notes.begin(), notes.end(),
                         [](const TimedNote& a, const TimedNote& b) { return a.start < b.start; });
}
