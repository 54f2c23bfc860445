// The settings each kind of instrument takes, with their defaults and ranges.
#pragma once

#include <string>

#include "score.h"

struct SettingRange {
    const char* name;
    double defaultValue, least, most;
};

// The kind's name in the score ("kick", "snare", "hat", "synth", "fm"); false
// for any other word.
bool instrumentKindNamed(InstrumentKind* kind, const std::string& word);

// The setting's range for the kind, or null if the kind has no such setting.
const SettingRange* findSetting(InstrumentKind kind, const std::string& name);

// Settings whose values are words: "wave saw" is 0, "wave pulse" 1. False for
// any other pair.
bool settingWord(double* value, const std::string& name, const std::string& word);
