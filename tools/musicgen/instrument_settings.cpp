// The settings each kind of instrument takes. Every kind has the mixing
// settings; the rest drive its voice. Times are seconds, frequencies Hz,
// levels linear unless named dB.
#include "instrument_settings.h"

namespace {

const SettingRange kMixing[] = {
    {"gain", -6.0, -60.0, 12.0},                           // dB
    {"pan", 0.0, -1.0, 1.0},                               // left to right
    {"reverb", 0.0, 0.0, 1.0},                             // send levels
    {"delay", 0.0, 0.0, 1.0},    {"duck", 0.0, 0.0, 1.0},  // how far each kick pushes it down
};

const SettingRange kKick[] = {
    {"pitch", 160.0, 20.0, 1000.0}, {"end", 48.0, 20.0, 500.0}, {"sweep", 0.035, 0.001, 1.0},
    {"decay", 0.45, 0.01, 4.0},     {"click", 0.3, 0.0, 2.0},   {"drive", 1.5, 0.1, 10.0},
};

const SettingRange kSnare[] = {
    {"tone", 185.0, 40.0, 1000.0},   {"tonedecay", 0.12, 0.01, 2.0},    {"noise", 0.8, 0.0, 4.0},
    {"noisedecay", 0.22, 0.01, 4.0}, {"color", 3200.0, 200.0, 15000.0},
};

const SettingRange kHat[] = {
    {"cutoff", 7000.0, 500.0, 18000.0},
    {"decay", 0.06, 0.005, 8.0},
    {"q", 0.9, 0.5, 10.0},
};

const SettingRange kSynth[] = {
    {"wave", 0.0, 0.0, 1.0},      // saw or pulse
    {"voices", 1.0, 1.0, 7.0},    // unison oscillators per note
    {"detune", 0.0, 0.0, 100.0},  // cents between the outermost two
    {"width", 0.0, 0.0, 1.0},     // how far apart the unison spreads
    {"pw", 0.5, 0.05, 0.95},      // pulse width
    {"sub", 0.0, 0.0, 1.0},       // a sine an octave down
    {"octave", 0.0, -3.0, 3.0},     {"cutoff", 2000.0, 20.0, 18000.0}, {"q", 0.707, 0.5, 20.0},
    {"envmod", 0.0, 0.0, 15000.0},  // Hz the filter envelope adds at its peak
    {"fattack", 0.005, 0.0, 10.0},  {"fdecay", 0.3, 0.001, 20.0},      {"fsustain", 0.0, 0.0, 1.0},
    {"frelease", 0.3, 0.001, 20.0}, {"attack", 0.005, 0.0, 10.0},      {"decay", 0.3, 0.001, 20.0},
    {"sustain", 0.7, 0.0, 1.0},     {"release", 0.2, 0.001, 20.0},
};

const SettingRange kFm[] = {
    {"ratio", 2.0, 0.5, 16.0},     {"index", 1.0, 0.0, 10.0},   {"indexdecay", 0.3, 0.001, 20.0},
    {"attack", 0.002, 0.0, 10.0},  {"decay", 0.3, 0.001, 20.0}, {"sustain", 0.0, 0.0, 1.0},
    {"release", 0.2, 0.001, 20.0},
};

template <int N>
const SettingRange* search(const SettingRange (&table)[N], const std::string& name) {
    for (const SettingRange& s : table)
        if (name == s.name) return &s;
    return nullptr;
}

}  // namespace

bool instrumentKindNamed(InstrumentKind* kind, const std::string& word) {
    static const struct {
        const char* word;
        InstrumentKind kind;
    } kinds[] = {{"kick", InstrumentKind::kick},
                 {"snare", InstrumentKind::snare},
                 {"hat", InstrumentKind::hat},
                 {"synth", InstrumentKind::synth},
                 {"fm", InstrumentKind::fm}};
    for (const auto& k : kinds)
        if (word == k.word) {
            *kind = k.kind;
            return true;
        }
    return false;
}

const SettingRange* findSetting(InstrumentKind kind, const std::string& name) {
    if (const SettingRange* s = search(kMixing, name)) return s;
    switch (kind) {
    case InstrumentKind::kick:
        return search(kKick, name);
    case InstrumentKind::snare:
        return search(kSnare, name);
    case InstrumentKind::hat:
        return search(kHat, name);
    case InstrumentKind::synth:
        return search(kSynth, name);
    case InstrumentKind::fm:
        return search(kFm, name);
    }
    return nullptr;
}

bool settingWord(double* value, const std::string& name, const std::string& word) {
    if (name != "wave") return false;
    if (word == "saw")
        *value = 0.0;
    else if (word == "pulse")
        *value = 1.0;
    else
        return false;
    return true;
}

double instrumentSetting(const Instrument& instrument, const std::string& name) {
    const auto found = instrument.settings.find(name);
    if (found != instrument.settings.end()) return found->second;
    const SettingRange* s = findSetting(instrument.kind, name);
    return s ? s->defaultValue : 0.0;
}
