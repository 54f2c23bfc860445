// The score: the parser's reading of good files and its refusal of bad ones
// (naming the line), where notes fall in samples, and the soundtrack's
// sections tied to the show's timeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "note_timing.h"
#include "score.h"
#include "sequence.h"
#include "show/timeline.h"

namespace {

const char* const kGood = R"(# a small score
tempo 144
key D major
length 10
fade 3 4
instrument k kick gain -3 pitch 120
instrument p synth wave pulse voices 3 cutoff 900
pattern beat 1
| x . . . o . . . x:0.8 . . . | o . . . |
pattern tune 2
| D3 . . . F#3+A3 . - . B3 . . . . . . . |
| C#4 . . . . . . . . . . . . . . E4:0.5 |
section a 0
play k beat
play p tune
section b 2   # two bars of beat alone
play k beat
sweep k pitch 100 200
end 4
)";

Score parse(const std::string& text) {
    Score score;
    std::string error;
    EXPECT_TRUE(parseScore(&score, &error, text)) << error;
    return score;
}

TEST(ScoreParser, ReadsAGoodScore) {
    const Score s = parse(kGood);
    EXPECT_EQ(s.tempo, 144.0);
    EXPECT_EQ(s.keyRoot, 2);
    EXPECT_EQ(s.seconds, 10.0);
    ASSERT_EQ(s.instruments.size(), 2u);
    EXPECT_EQ(s.instruments[0].kind, InstrumentKind::kick);
    EXPECT_EQ(instrumentSetting(s.instruments[0], "pitch"), 120.0);
    EXPECT_EQ(instrumentSetting(s.instruments[0], "decay"), 0.45) << "the default";
    EXPECT_EQ(instrumentSetting(s.instruments[1], "wave"), 1.0);

    ASSERT_EQ(s.patterns.size(), 2u);
    const std::vector<PatternNote>& beat = s.patterns[0].notes;
    ASSERT_EQ(beat.size(), 4u);
    EXPECT_EQ(beat[1].row, 4);
    EXPECT_EQ(beat[1].velocity, 0.5);
    EXPECT_EQ(beat[2].velocity, 0.8);
    EXPECT_EQ(beat[3].row, 12) << "a bar line touching a token is only for the eye";
    // D3 held 4 rows; the chord F#3+A3 two notes ended by '-' after 2 rows;
    // E4 on the last row lasts that row.
    const std::vector<PatternNote>& tune = s.patterns[1].notes;
    ASSERT_EQ(tune.size(), 6u);
    EXPECT_EQ(tune[0].pitch, 50);
    EXPECT_EQ(tune[0].length, 4);
    EXPECT_EQ(tune[1].pitch, 54);
    EXPECT_EQ(tune[2].pitch, 57);
    EXPECT_EQ(tune[2].length, 2);
    EXPECT_EQ(tune[3].length, 8);
    EXPECT_EQ(tune[4].row, 16);
    EXPECT_EQ(tune[5].row, 31);
    EXPECT_EQ(tune[5].velocity, 0.5);

    ASSERT_EQ(s.sections.size(), 2u);
    EXPECT_EQ(s.sections[0].endBar, 2);
    EXPECT_EQ(s.sections[1].endBar, 4);
    EXPECT_EQ(s.endBar, 4);
}

// Each bad score is refused, and the message names the line at fault.
TEST(ScoreParser, RefusesBadScoresNamingTheLine) {
    const std::string head = "tempo 144\nlength 10\ninstrument k kick\ninstrument p synth\n";
    const std::string beat = "pattern beat 1\n| x . . . x . . . x . . . x . . . |\n";
    struct Case {
        std::string text;
        int line;
        const char* words;
    } cases[] = {
        {"tempo fast\n", 1, "not a number"},
        {"tempo 144\ntempo 900\n", 2, "between"},
        {"tempo 144 150\n", 1, "takes 1 value"},
        {"chorus 3\n", 1, "not a statement"},
        {head + "instrument k hat\n", 5, "second instrument"},
        {head + "instrument q drum\n", 5, "not a kind"},
        {head + "instrument q hat pitch 100\n", 5, "no setting 'pitch'"},
        {head + "instrument q synth cutoff\n", 5, "setting-value pairs"},
        {head + "instrument q synth wave sine\n", 5, "not a number"},
        {head + "instrument q synth voices 9\n", 5, "between"},
        {head + "| x . . . |\n", 5, "outside a pattern"},
        {head + "pattern short 1\n| x . . . |\nsection a 0\n", 5, "has 4 rows"},
        {head + "pattern long 1\n| x . . . x . . . x . . . x . . . x |\n", 6, "more than"},
        {head + "pattern p 1\n| H4 . . . . . . . . . . . . . . . |\n", 6, "not a note"},
        {head + "pattern p 1\n| A4:3 . . . . . . . . . . . . . . . |\n", 6, "velocity"},
        {head + "pattern p 1\n| F#4 . . . . . . . . . . . . . . . |\n", 6, "not in the key"},
        {head + beat + "section a 2\n", 7, "starts at bar 0"},
        {head + beat + "section a 0\nsection b 0\n", 8, "no later than"},
        {head + beat + "section a 0\nplay x beat\n", 8, "no instrument named x"},
        {head + beat + "section a 0\nplay k groove\n", 8, "no pattern named groove"},
        {head + beat + "section a 0\nplay p beat\n", 8, "hits without a pitch"},
        {head + beat + "section a 0\nplay k beat\nplay k beat\n", 9, "plays twice"},
        {head + beat + "section a 0\nsweep k cutoff 1 2\n", 8, "no setting 'cutoff'"},
        {head + beat + "play k beat\n", 7, "belongs in a section"},
        {head + beat + "section a 0\ninstrument q hat\n", 8, "before the first section"},
        {head + beat + "section a 0\nsection b 4\nend 3\n", 9, "after the last section"},
        {head + beat + "section a 0\n", 8, "no end"},
    };
    for (const Case& c : cases) {
        Score score;
        std::string error;
        EXPECT_FALSE(parseScore(&score, &error, c.text)) << c.text;
        EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << error << "\nin:\n"
                                                                               << c.text;
        EXPECT_NE(error.find(c.words), std::string::npos) << error << "\nin:\n" << c.text;
    }
}

// At 144 beats a minute a beat is 18375 samples: beat k of bar b starts at
// (4b + k) * 18375 exactly, and the notes of the sequence start there.
TEST(NoteTiming, BeatsFallOnWholeSamples) {
    const Score s = parse(kGood);
    for (long bar = 0; bar < 80; ++bar)
        for (long beat = 0; beat < 4; ++beat)
            ASSERT_EQ(rowSample(s, bar * kRowsPerBar + beat * kRowsPerBeat),
                      (4 * bar + beat) * 18375)
                << "bar " << bar << " beat " << beat;
    EXPECT_EQ(rowSample(s, 1), 4594) << "a 16th is 4593.75 samples, rounded";

    Score swung = s;
    swung.swing = 0.5;
    EXPECT_EQ(rowSample(swung, 4), 18375);
    EXPECT_EQ(rowSample(swung, 5), 18375 + std::lround(4593.75 * 1.5));

    std::vector<std::vector<TimedNote>> notes;
    sequenceScore(&notes, s);
    // The kick plays beat in both sections, 4 bars: 16 hits, the third of
    // each bar on beat 2.
    ASSERT_EQ(notes[0].size(), 16u);
    EXPECT_EQ(notes[0][2].start, 2 * 18375);
    EXPECT_EQ(notes[0][14].start, (4 * 3 + 2) * 18375);
    // The sweep in section b moves pitch from 100 at its first bar.
    ASSERT_EQ(notes[0][8].sweeps.size(), 1u);
    EXPECT_EQ(notes[0][8].sweeps[0].second, 100.0);
    EXPECT_EQ(notes[0][12].sweeps[0].second, 150.0);
    // The tune's held D3 lasts a beat.
    EXPECT_EQ(notes[1][0].length, 18375);
}

// The soundtrack's sections start where the show changes: 100 frames a bar
// at 60 Hz and 144 beats a minute, so a section's bar is the timeline's frame
// over 100. The last note starts no later than bar 79, and the master is
// silent by the end of the show.
TEST(Soundtrack, SectionsFollowTheShowsTimeline) {
    Score score;
    std::string error;
    ASSERT_TRUE(loadScore(&score, &error, QORV_SCORE)) << error;
    const double framesPerBar = 60.0 * 60.0 * kBeatsPerBar / score.tempo;
    ASSERT_EQ(framesPerBar, 100.0);
    struct Mark {
        const char* section;
        double frame;
    } marks[] = {
        {"intro", 0.0},
        {"rings", kRingGrowthFrame},
        {"blob", kBlobGrowthFrame},
        {"second", kRingSecondGrowthFrame},
        {"dark", kRingsEndFrame},
        {"full", kBlobFullSizeFrame},
    };
    for (const Mark& m : marks) {
        const Section* section = findSection(score, m.section);
        ASSERT_NE(section, nullptr) << m.section;
        EXPECT_EQ(section->startBar * framesPerBar, m.frame) << m.section;
    }
    EXPECT_EQ(score.endBar * framesPerBar, kLastPresentedFrame);
    EXPECT_LE(score.fadeTo * framesPerBar, kLastPresentedFrame);
    EXPECT_GE(score.seconds, kLastPresentedFrame / 60.0);

    std::vector<std::vector<TimedNote>> notes;
    sequenceScore(&notes, score);
    long last = 0;
    for (const std::vector<TimedNote>& n : notes)
        for (const TimedNote& t : n) last = std::max(last, t.start);
    EXPECT_LE(last, rowSample(score, 79 * kRowsPerBar));
}

}  // namespace
