// qorv-musicgen: renders the score and writes c.ogg.
//   qorv-musicgen SCORE OUT.ogg [--mix RAW]
// With --mix it also writes the finished mix before encoding, interleaved
// stereo 32-bit floats at 44.1 kHz, for the tests that measure it.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mix.h"
#include "ogg_write.h"
#include "sample_rate.h"
#include "score.h"

int main(int argc, char** argv) {
    const auto began = std::chrono::steady_clock::now();
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--mix") == 0)) {
        fprintf(stderr, "usage: qorv-musicgen SCORE OUT.ogg [--mix RAW]\n");
        return 2;
    }
    Score score;
    std::string error;
    if (!loadScore(&score, &error, argv[1])) {
        fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::vector<float> mix;
    MixReport report;
    if (!renderMix(&mix, &report, score)) return 1;
    const long frames = long(mix.size() / 2);
    if (argc == 5) {
        FILE* raw = fopen(argv[4], "wb");
        const bool ok = raw && fwrite(mix.data(), sizeof(float), mix.size(), raw) == mix.size();
        if (!raw || fclose(raw) != 0 || !ok) {
            fprintf(stderr, "qorv-musicgen: cannot write %s\n", argv[4]);
            return 1;
        }
    }
    if (!writeOggVorbis(argv[2], mix.data(), frames, score.quality)) return 1;

    std::vector<double> sections;
    sectionLoudness(&sections, mix, score);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    printf("qorv-musicgen: %s, %.2f s of music in %.1f s: master gain %+.2f dB, %.2f LUFS, "
           "range %.1f LU, true peak %.2f dBTP, deepest limiting %.2f dB\n",
           argv[2], double(frames) / kSampleRate, seconds, report.gainDb, report.final.integrated,
           report.final.range, report.final.truePeak, 20.0 * std::log10(report.deepestLimit));
    for (size_t i = 0; i < sections.size(); ++i)
        printf("  section %-8s bars %2d-%2d: %6.1f LUFS\n", score.sections[i].name.c_str(),
               score.sections[i].startBar, score.sections[i].endBar - 1, sections[i]);
    return 0;
}
