// The score's text format: one statement a line, a keyword and its values;
// a word that starts with '#' starts a comment to the end of the line. Pattern rows follow their
// "pattern" line on lines that start with '|'. Every fault is refused with the number of the line
// that holds it.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "instrument_settings.h"
#include "score.h"

namespace {

struct Parser {
    Score* score = nullptr;
    std::string* error = nullptr;
    int line = 0;
    int openPattern = -1;  // the pattern whose rows are being read
    int rowsRead = 0;
    std::vector<int> lastNote;  // per open chord position: indices of notes now sounding
    bool inSections = false;
};

bool fail(Parser* p, const std::string& what) {
    *p->error = "line " + std::to_string(p->line) + ": " + what;
    return false;
}

bool number(double* out, const std::string& word) {
    if (word.empty()) return false;
    char* end = nullptr;
    *out = std::strtod(word.c_str(), &end);
    return *end == '\0' && std::isfinite(*out);
}

bool wholeNumber(int* out, const std::string& word) {
    double value = 0.0;
    if (!number(&value, word) || value != std::floor(value) || std::fabs(value) > 1e6) return false;
    *out = int(value);
    return true;
}

// The values of a statement that takes a fixed count of numbers.
bool numbers(Parser* p, double* out, const std::vector<std::string>& words, size_t count) {
    if (words.size() != count + 1)
        return fail(p, words[0] + " takes " + std::to_string(count) + " value(s)");
    for (size_t i = 0; i < count; ++i)
        if (!number(&out[i], words[i + 1]))
            return fail(p, words[0] + ": '" + words[i + 1] + "' is not a number");
    return true;
}

bool inRange(Parser* p, const std::string& what, double value, double least, double most) {
    if (value < least || value > most)
        return fail(p, what + " must lie between " + std::to_string(least) + " and " +
                           std::to_string(most));
    return true;
}

int patternNamed(const Score& score, const std::string& name) {
    for (size_t i = 0; i < score.patterns.size(); ++i)
        if (score.patterns[i].name == name) return int(i);
    return -1;
}

int instrumentNamed(const Score& score, const std::string& name) {
    for (size_t i = 0; i < score.instruments.size(); ++i)
        if (score.instruments[i].name == name) return int(i);
    return -1;
}

// The semitones of each mode's scale from its root.
bool setKey(Score* score, const std::string& root, const std::string& mode) {
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    static const int minor[7] = {0, 2, 3, 5, 7, 8, 10};
    static const char* names[12] = {"C",  "C#", "D",  "Eb", "E",  "F",
                                    "F#", "G",  "Ab", "A",  "Bb", "B"};
    static const char* others[12] = {"", "Db", "", "D#", "", "", "Gb", "", "G#", "", "A#", ""};
    int pc = -1;
    for (int i = 0; i < 12; ++i)
        if (root == names[i] || root == others[i]) pc = i;
    if (pc < 0 || root.empty() || (mode != "major" && mode != "minor")) return false;
    score->keyRoot = pc;
    score->mode = mode;
    for (int i = 0; i < 7; ++i) score->scale[i] = (pc + (mode == "major" ? major : minor)[i]) % 12;
    return true;
}

// A note name: a letter, an optional sharp or flat, an octave (C4 = 60).
bool notePitch(int* pitch, const std::string& word) {
    static const int letters[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (word.size() < 2 || word[0] < 'A' || word[0] > 'G') return false;
    int pc = letters[word[0] - 'A'];
    size_t at = 1;
    if (word[at] == '#')
        pc += 1, ++at;
    else if (word[at] == 'b')
        pc -= 1, ++at;
    int octave = 0;
    if (at >= word.size() || !wholeNumber(&octave, word.substr(at)) || octave < 0 || octave > 8)
        return false;
    *pitch = 12 * (octave + 1) + pc;
    return true;
}

bool inKey(const Score& score, int pitch) {
    for (int pc : score.scale)
        if (pc == ((pitch % 12) + 12) % 12) return true;
    return false;
}

// One row's token: '.' holds what sounds, '-' ends it, 'x' / 'o' are hits
// (full and half velocity), notes are names joined by '+', each token with an
// optional ":velocity".
bool readToken(Parser* p, const std::string& token) {
    Pattern& pattern = p->score->patterns[p->openPattern];
    const int row = p->rowsRead++;
    if (row >= pattern.bars * kRowsPerBar)
        return fail(p, "pattern " + pattern.name + " has more than its " +
                           std::to_string(pattern.bars * kRowsPerBar) + " rows");
    if (token == ".") {
        for (int i : p->lastNote) pattern.notes[i].length += 1;
        return true;
    }
    p->lastNote.clear();
    if (token == "-") return true;
    std::string body = token;
    double velocity = 1.0;
    const size_t colon = token.find(':');
    if (colon != std::string::npos) {
        body = token.substr(0, colon);
        if (!number(&velocity, token.substr(colon + 1)) || velocity <= 0.0 || velocity > 2.0)
            return fail(p, "'" + token + "': the velocity must be a number above 0, at most 2");
    }
    if (body == "x" || body == "o") {
        p->lastNote.push_back(int(pattern.notes.size()));
        pattern.notes.push_back(PatternNote{row, 1, -1, velocity * (body == "x" ? 1.0 : 0.5)});
        return true;
    }
    std::stringstream chord(body);
    std::string name;
    while (std::getline(chord, name, '+')) {
        int pitch = 0;
        if (!notePitch(&pitch, name))
            return fail(p, "'" + token + "' is not a note, a chord, x, o, '.' or '-'");
        if (!inKey(*p->score, pitch))
            return fail(p, "'" + name + "' is not in the key of the score");
        p->lastNote.push_back(int(pattern.notes.size()));
        pattern.notes.push_back(PatternNote{row, 1, pitch, velocity});
    }
    return true;
}

// A pattern's rows end at the first line that is not a row.
bool closePattern(Parser* p) {
    if (p->openPattern < 0) return true;
    const Pattern& pattern = p->score->patterns[p->openPattern];
    p->openPattern = -1;
    if (p->rowsRead != pattern.bars * kRowsPerBar) {
        p->line = pattern.line;
        return fail(p, "pattern " + pattern.name + " has " + std::to_string(p->rowsRead) +
                           " rows; its " + std::to_string(pattern.bars) + " bar(s) need " +
                           std::to_string(pattern.bars * kRowsPerBar));
    }
    return true;
}

bool readInstrument(Parser* p, const std::vector<std::string>& words) {
    if (p->inSections) return fail(p, "instruments come before the first section");
    if (words.size() < 3 || words.size() % 2 != 1)
        return fail(p, "instrument takes a name, a kind, and setting-value pairs");
    Instrument instrument;
    instrument.name = words[1];
    instrument.line = p->line;
    if (instrumentNamed(*p->score, instrument.name) >= 0)
        return fail(p, "a second instrument named " + instrument.name);
    if (!instrumentKindNamed(&instrument.kind, words[2]))
        return fail(p,
                    "'" + words[2] + "' is not a kind of instrument (kick, snare, hat, synth, fm)");
    for (size_t i = 3; i < words.size(); i += 2) {
        const SettingRange* range = findSetting(instrument.kind, words[i]);
        if (!range) return fail(p, "a " + words[2] + " has no setting '" + words[i] + "'");
        double value = 0.0;
        if (!settingWord(&value, words[i], words[i + 1]) && !number(&value, words[i + 1]))
            return fail(p, words[i] + ": '" + words[i + 1] + "' is not a number");
        if (!inRange(p, words[i], value, range->least, range->most)) return false;
        instrument.settings[words[i]] = value;
    }
    p->score->instruments.push_back(instrument);
    return true;
}

bool readPattern(Parser* p, const std::vector<std::string>& words) {
    Pattern pattern;
    if (words.size() != 3 || !wholeNumber(&pattern.bars, words[2]) || pattern.bars < 1 ||
        pattern.bars > 64)
        return fail(p, "pattern takes a name and a count of bars (1 to 64)");
    if (patternNamed(*p->score, words[1]) >= 0)
        return fail(p, "a second pattern named " + words[1]);
    pattern.name = words[1];
    pattern.line = p->line;
    p->score->patterns.push_back(pattern);
    p->openPattern = int(p->score->patterns.size()) - 1;
    p->rowsRead = 0;
    p->lastNote.clear();
    return true;
}

bool readSection(Parser* p, const std::vector<std::string>& words) {
    Section section;
    if (words.size() != 3 || !wholeNumber(&section.startBar, words[2]))
        return fail(p, "section takes a name and its first bar");
    std::vector<Section>& sections = p->score->sections;
    if (sections.empty() && section.startBar != 0)
        return fail(p, "the first section starts at bar 0");
    if (!sections.empty() && section.startBar <= sections.back().startBar)
        return fail(p, "section " + words[1] + " starts no later than the one before");
    if (findSection(*p->score, words[1])) return fail(p, "a second section named " + words[1]);
    section.name = words[1];
    section.line = p->line;
    sections.push_back(section);
    p->inSections = true;
    return true;
}

bool readPlay(Parser* p, const std::vector<std::string>& words) {
    if (p->score->sections.empty()) return fail(p, "play belongs in a section");
    if (words.size() < 3) return fail(p, "play takes an instrument and its patterns");
    Track track;
    track.instrument = instrumentNamed(*p->score, words[1]);
    if (track.instrument < 0) return fail(p, "no instrument named " + words[1]);
    Section& section = p->score->sections.back();
    for (const Track& other : section.tracks)
        if (other.instrument == track.instrument)
            return fail(p, words[1] + " plays twice in section " + section.name);
    const bool pitched = p->score->instruments[track.instrument].kind == InstrumentKind::synth ||
                         p->score->instruments[track.instrument].kind == InstrumentKind::fm;
    for (size_t i = 2; i < words.size(); ++i) {
        const int pattern = patternNamed(*p->score, words[i]);
        if (pattern < 0) return fail(p, "no pattern named " + words[i] + " above this line");
        for (const PatternNote& note : p->score->patterns[pattern].notes)
            if (pitched && note.pitch < 0)
                return fail(p, "pattern " + words[i] + " has hits without a pitch, which " +
                                   words[1] + " cannot play");
        track.patterns.push_back(pattern);
    }
    section.tracks.push_back(track);
    return true;
}

bool readSweep(Parser* p, const std::vector<std::string>& words) {
    if (p->score->sections.empty()) return fail(p, "sweep belongs in a section");
    Sweep sweep;
    if (words.size() != 5 || !number(&sweep.from, words[3]) || !number(&sweep.to, words[4]))
        return fail(p, "sweep takes an instrument, a setting and two numbers");
    sweep.instrument = instrumentNamed(*p->score, words[1]);
    if (sweep.instrument < 0) return fail(p, "no instrument named " + words[1]);
    const SettingRange* range = findSetting(p->score->instruments[sweep.instrument].kind, words[2]);
    if (!range) return fail(p, words[1] + " has no setting '" + words[2] + "'");
    if (!inRange(p, words[2], sweep.from, range->least, range->most) ||
        !inRange(p, words[2], sweep.to, range->least, range->most))
        return false;
    sweep.setting = words[2];
    p->score->sections.back().sweeps.push_back(sweep);
    return true;
}

bool readStatement(Parser* p, const std::vector<std::string>& words) {
    Score* s = p->score;
    const std::string& key = words[0];
    double v[3];
    if (key == "tempo")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], 40, 300) && (s->tempo = v[0], true);
    if (key == "swing")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], 0, 0.5) && (s->swing = v[0], true);
    if (key == "length")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], 1, 600) &&
               (s->seconds = v[0], true);
    if (key == "loudness")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], -40, -5) &&
               (s->loudness = v[0], true);
    if (key == "ceiling")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], -12, 0) &&
               (s->ceiling = v[0], true);
    if (key == "quality")
        return numbers(p, v, words, 1) && inRange(p, key, v[0], -0.1, 1) &&
               (s->quality = v[0], true);
    if (key == "fade") {
        if (!numbers(p, v, words, 2)) return false;
        if (v[0] < 0 || v[1] <= v[0]) return fail(p, "fade takes a first and a later bar");
        s->fadeFrom = v[0], s->fadeTo = v[1];
        return true;
    }
    if (key == "reverb") {
        if (!numbers(p, v, words, 2) || !inRange(p, "reverb time", v[0], 0.1, 20) ||
            !inRange(p, "reverb damping", v[1], 0, 0.99))
            return false;
        s->reverbSeconds = v[0], s->reverbDamping = v[1];
        return true;
    }
    if (key == "delay") {
        if (!numbers(p, v, words, 3) || !inRange(p, "delay rows", v[0], 1, 16) ||
            !inRange(p, "delay feedback", v[1], 0, 0.95) ||
            !inRange(p, "delay damping", v[2], 0, 0.99))
            return false;
        s->delayRows = v[0], s->delayFeedback = v[1], s->delayDamping = v[2];
        return true;
    }
    if (key == "key") {
        if (words.size() != 3 || !setKey(s, words[1], words[2]))
            return fail(p, "key takes a note (C, C#, Db ... B) and major or minor");
        return true;
    }
    if (key == "end") {
        int bar = 0;
        if (words.size() != 2 || !wholeNumber(&bar, words[1])) return fail(p, "end takes a bar");
        if (s->sections.empty() || bar <= s->sections.back().startBar)
            return fail(p, "end comes after the last section's first bar");
        s->endBar = bar;
        return true;
    }
    if (key == "instrument") return readInstrument(p, words);
    if (key == "pattern") return readPattern(p, words);
    if (key == "section") return readSection(p, words);
    if (key == "play") return readPlay(p, words);
    if (key == "sweep") return readSweep(p, words);
    return fail(p, "'" + key + "' is not a statement of the score");
}

}  // namespace

bool parseScore(Score* score, std::string* error, const std::string& text) {
    *score = Score{};
    setKey(score, "A", "minor");
    Parser p;
    p.score = score;
    p.error = error;
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        ++p.line;
        // A comment starts at a '#' that starts a word; C#4 is a note.
        size_t hash = raw.find('#');
        while (hash != std::string::npos && hash > 0 && !std::isspace((unsigned char)raw[hash - 1]))
            hash = raw.find('#', hash + 1);
        const std::string content = raw.substr(0, hash);
        std::istringstream split(content);
        std::vector<std::string> words;
        for (std::string w; split >> w;) words.push_back(w);
        if (words.empty()) continue;
        if (words[0][0] == '|') {
            if (p.openPattern < 0) return fail(&p, "a row of notes outside a pattern");
            for (const std::string& w : words) {
                // Bar lines are for the eye; a token may touch one.
                std::string token = w;
                while (!token.empty() && token.front() == '|') token.erase(0, 1);
                while (!token.empty() && token.back() == '|') token.pop_back();
                if (!token.empty() && !readToken(&p, token)) return false;
            }
            continue;
        }
        if (!closePattern(&p) || !readStatement(&p, words)) return false;
    }
    ++p.line;
    if (!closePattern(&p)) return false;
    if (score->sections.empty()) return fail(&p, "the score has no section");
    if (score->endBar == 0) return fail(&p, "the score has no end");
    if (score->seconds <= 0.0) return fail(&p, "the score has no length");
    if (score->sections.back().startBar >= score->endBar)
        return fail(&p, "section " + score->sections.back().name + " starts at or after the end");
    for (size_t i = 0; i < score->sections.size(); ++i)
        score->sections[i].endBar =
            i + 1 < score->sections.size() ? score->sections[i + 1].startBar : score->endBar;
    return true;
}

bool loadScore(Score* score, std::string* error, const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = std::string("cannot read ") + path;
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    return parseScore(score, error, text.str());
}

const Section* findSection(const Score& score, const std::string& name) {
    for (const Section& section : score.sections)
        if (section.name == name) return &section;
    return nullptr;
}
