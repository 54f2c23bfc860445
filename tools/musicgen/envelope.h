// ADSR envelopes: a linear attack, exponential decay and release.
#pragma once

struct AdsrSettings {
    double attack = 0.005;  // seconds from 0 to the peak of 1
    double decay = 0.2;     // seconds to fall 60 dB of the way to the sustain level
    double sustain = 0.7;   // level while the note is held
    double release = 0.2;   // seconds to fall 60 dB after the note ends
};

struct Adsr {
    long attackSamples = 0;
    double decayFactor = 0.0;    // per sample, on the distance to the sustain level
    double releaseFactor = 0.0;  // per sample
    double sustain = 0.0;
    long age = 0;  // samples since the note started
    double level = 0.0;
    bool released = false;
};

void adsrStart(Adsr* env, const AdsrSettings& settings);
// Ends the held part: the level falls from where it is.
void adsrRelease(Adsr* env);
// The level of the current sample, then advances one sample.
double adsrNext(Adsr* env);
