// Progress reporting: one line rewritten in place on a terminal, a line now
// and then in a log file.
#include "progress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

int totalFrames = 0;
int framesDone = 0;
bool silent = true;
bool terminal = false;
std::string lineLabel;
Clock::time_point startTime;
Clock::time_point lastPrint;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void formatDuration(char* text, size_t size, double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    if (s >= 3600)
        std::snprintf(text, size, "%ldh%02ldm%02lds", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, size, "%ldm%02lds", s / 60, s % 60);
}

void printLine(bool final) {
    const double elapsed = secondsSince(startTime);
    const double fps = elapsed > 0.0 ? framesDone / elapsed : 0.0;
    char timeText[32];
    formatDuration(timeText, sizeof timeText,
                   final ? elapsed : (fps > 0.0 ? (totalFrames - framesDone) / fps : 0.0));
    std::fprintf(stderr, "%sframe %d/%d  %.2f fps  %s %s  %s%s", terminal ? "\r" : "", framesDone,
                 totalFrames, fps, final ? "took" : "left", timeText, lineLabel.c_str(),
                 terminal && !final ? "   " : "\n");
    std::fflush(stderr);
}

}  // namespace

void progressBegin(int total, bool quiet, const std::string& label) {
    lineLabel = label;
    totalFrames = total;
    framesDone = 0;
    silent = quiet;
    terminal = isatty(STDERR_FILENO);
    startTime = Clock::now();
    lastPrint = startTime;
}

void progressAdvance() {
    ++framesDone;
    if (silent || framesDone == totalFrames) return;
    // A log gets a line every ten seconds; a terminal a fresh one twice a second.
    if (secondsSince(lastPrint) < (terminal ? 0.5 : 10.0)) return;
    lastPrint = Clock::now();
    printLine(false);
}

void progressEnd() {
    if (!silent) printLine(true);
}
