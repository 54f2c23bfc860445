// The score as the parser reads it from music/score.txt: tempo, key, master
// settings, instruments, patterns and the sections' order lists.
#pragma once

#include <map>
#include <string>
#include <vector>

constexpr int kRowsPerBeat = 4;  // the grid is the 16th note
constexpr int kBeatsPerBar = 4;
constexpr int kRowsPerBar = kRowsPerBeat * kBeatsPerBar;

enum class InstrumentKind { kick, snare, hat, synth, fm };

struct Instrument {
    std::string name;
    InstrumentKind kind = InstrumentKind::synth;
    std::map<std::string, double> settings;  // only the ones the score sets
    int line = 0;
};

// One note or hit of a pattern; a chord is several notes on one row.
struct PatternNote {
    int row = 0;     // from the pattern's start
    int length = 1;  // rows, up to the next token that is not a hold
    int pitch = -1;  // MIDI note number; -1 for a hit without pitch
    double velocity = 1.0;
};

struct Pattern {
    std::string name;
    int bars = 1;
    std::vector<PatternNote> notes;
    int line = 0;
};

// An instrument's patterns in a section, played in turn and repeated until
// the section ends.
struct Track {
    int instrument = 0;
    std::vector<int> patterns;
};

// A setting of an instrument moved in a straight line over its section.
struct Sweep {
    int instrument = 0;
    std::string setting;
    double from = 0.0, to = 0.0;
};

struct Section {
    std::string name;
    int startBar = 0;
    int endBar = 0;  // the next section's start, or the score's end
    std::vector<Track> tracks;
    std::vector<Sweep> sweeps;
    int line = 0;
};

struct Score {
    double tempo = 120.0;  // beats per minute
    double swing = 0.0;    // every second row comes late by this fraction of a row
    int keyRoot = 9;       // pitch class, C = 0
    std::string mode = "minor";
    int scale[7] = {};        // the key's pitch classes
    double seconds = 0.0;     // the file's length
    double fadeFrom = 0.0;    // bar at which the master starts to fade
    double fadeTo = 0.0;      // bar by which it is silent
    double loudness = -14.0;  // LUFS the master is set to
    double ceiling = -1.5;    // dBFS, the limiter's
    double reverbSeconds = 2.0, reverbDamping = 0.3;
    double delayRows = 3.0, delayFeedback = 0.4, delayDamping = 0.3;
    double quality = 0.5;  // Vorbis quality
    int endBar = 0;        // the bar after the last
    std::vector<Instrument> instruments;
    std::vector<Pattern> patterns;
    std::vector<Section> sections;
};

// Reads a score from text. On a fault returns false and sets error to one
// line, "line N: what is wrong".
bool parseScore(Score* score, std::string* error, const std::string& text);
// The same from a file.
bool loadScore(Score* score, std::string* error, const char* path);

// The section with that name, or null.
const Section* findSection(const Score& score, const std::string& name);

// The setting of an instrument: the score's value or the kind's default.
double instrumentSetting(const Instrument& instrument, const std::string& name);
