// Parsing and checking qorv-capture's command line. Everything that can be
// judged without a GL context is judged here, so a bad command line fails
// before any rendering starts.
#include "capture_args.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const kCaptureUsage =
    "usage: qorv-capture [--frames A..B] [--size WxH] [--supersample N] [--jobs N]\n"
    "                    [--device auto|software] [--quiet]\n"
    "                    (--out DIR | --video FILE [--fps F] [--no-music]\n"
    "                     | --contact-sheet FILE [--every N])\n"
    "  --frames A..B        frames to render, within 1..8000 (default 1..8000)\n"
    "  --size WxH           picture size (default 1920x1080; thumbnails 192x108)\n"
    "  --supersample N      render at N x N the size and average down (1..8)\n"
    "  --out DIR            numbered PNG frames DIR/frame-0001.png ...\n"
    "  --video FILE         encode with ffmpeg, with c.ogg from the working folder, or\n"
    "                       else the one beside qorv-capture\n"
    "  --fps F              video frame rate (default 60)\n"
    "  --no-music           video: frames only, even with c.ogg at hand (parts to join)\n"
    "  --contact-sheet FILE one picture of labelled thumbnails along the range\n"
    "  --every N            contact sheet: the first frame, then every Nth (default 250)\n"
    "  --jobs N             render in N processes (default: one per core)\n"
    "  --device D           auto: a GPU when there is one (default); software: llvmpipe\n"
    "  --quiet              no progress line\n";

namespace {

// A whole decimal number with nothing after it, within int range.
bool parseInt(int* value, const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *value = std::atoi(text.c_str());
    return true;
}

bool parsePositiveNumber(double* value, const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0.0) return false;
    *value = v;
    return true;
}

bool fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

bool setMode(CaptureOptions* options, std::string* error, CaptureMode mode, const char* option,
             const std::string& path) {
    if (options->mode != CaptureMode::none)
        return fail(error,
                    std::string(option) + ": give only one of --out, --video and --contact-sheet");
    if (path.empty()) return fail(error, std::string(option) + ": empty path");
    options->mode = mode;
    options->outPath = path;
    return true;
}

}  // namespace

bool parseFrameRange(int* first, int* last, const std::string& text) {
    size_t dots = text.find("..");
    if (dots == std::string::npos) {
        if (!parseInt(first, text)) return false;
        *last = *first;
        return true;
    }
    return parseInt(first, text.substr(0, dots)) && parseInt(last, text.substr(dots + 2));
}

bool parseSize(int* width, int* height, const std::string& text) {
    size_t x = text.find('x');
    if (x == std::string::npos) return false;
    return parseInt(width, text.substr(0, x)) && parseInt(height, text.substr(x + 1));
}

bool parseCaptureArgs(CaptureOptions* options, std::string* error, int argc,
                      const char* const* argv) {
    *options = CaptureOptions();
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        bool hasValue = false;
        // Both "--size 64x36" and "--size=64x36".
        size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() {
            if (hasValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        auto noValue = [&]() { return !hasValue; };

        if (option == "--help" || option == "-h") {
            options->help = true;
            return true;
        }
        if (option == "--quiet" || option == "-q") {
            if (!noValue()) return fail(error, option + " takes no value");
            options->quiet = true;
            continue;
        }
        if (option == "--no-music") {
            if (!noValue()) return fail(error, option + " takes no value");
            options->noMusic = true;
            continue;
        }
        const bool known = option == "--frames" || option == "--size" || option == "--out" ||
                           option == "--video" || option == "--fps" ||
                           option == "--contact-sheet" || option == "--every" ||
                           option == "--supersample" || option == "--jobs" || option == "--device";
        if (!known) return fail(error, "unknown option " + option);
        if (!takeValue()) return fail(error, option + " needs a value");

        if (option == "--frames") {
            int first = 0, last = 0;
            if (!parseFrameRange(&first, &last, value))
                return fail(error, "--frames " + value + ": expected A..B, e.g. 1..8000");
            if (first < kFirstShowFrame || last < kFirstShowFrame || first > kLastShowFrame ||
                last > kLastShowFrame)
                return fail(error, "--frames " + value + ": frames run from 1 to 8000");
            if (first > last) return fail(error, "--frames " + value + ": range is reversed");
            options->firstFrame = first;
            options->lastFrame = last;
        } else if (option == "--size") {
            int w = 0, h = 0;
            if (!parseSize(&w, &h, value))
                return fail(error, "--size " + value + ": expected WxH, e.g. 1920x1080");
            if (w < 1 || h < 1) return fail(error, "--size " + value + ": zero size");
            if (w > kMaxCaptureSide || h > kMaxCaptureSide)
                return fail(error, "--size " + value + ": larger than 16384");
            options->width = w;
            options->height = h;
            sizeGiven = true;
        } else if (option == "--supersample") {
            int n = 0;
            if (!parseInt(&n, value) || n < 1 || n > kMaxSupersample)
                return fail(error, "--supersample " + value + ": expected a whole number 1..8");
            options->supersample = n;
        } else if (option == "--jobs") {
            int n = 0;
            if (!parseInt(&n, value) || n < 1 || n > kMaxJobs)
                return fail(error, "--jobs " + value + ": expected a whole number 1..1024");
            options->jobs = n;
        } else if (option == "--device") {
            if (value == "auto")
                options->device = HeadlessDevice::automatic;
            else if (value == "software")
                options->device = HeadlessDevice::software;
            else
                return fail(error, "--device " + value + ": expected auto or software");
        } else if (option == "--fps") {
            double fps = 0.0;
            if (!parsePositiveNumber(&fps, value) || fps > kMaxFps)
                return fail(error, "--fps " + value + ": expected a rate above 0, up to 1000");
            options->fps = fps;
        } else if (option == "--every") {
            int n = 0;
            if (!parseInt(&n, value) || n < 1 || n > kLastShowFrame)
                return fail(error, "--every " + value + ": expected a whole number 1..8000");
            options->every = n;
        } else if (option == "--out") {
            if (!setMode(options, error, CaptureMode::frames, "--out", value)) return false;
        } else if (option == "--video") {
            if (!setMode(options, error, CaptureMode::video, "--video", value)) return false;
        } else if (option == "--contact-sheet") {
            if (!setMode(options, error, CaptureMode::contactSheet, "--contact-sheet", value))
                return false;
        }
    }
    if (options->mode == CaptureMode::none)
        return fail(error, "no output: give --out DIR, --video FILE or --contact-sheet FILE");
    if (options->mode == CaptureMode::contactSheet && !sizeGiven) {
        options->width = 192;
        options->height = 108;
    }
    const long long ssWidth = static_cast<long long>(options->width) * options->supersample;
    const long long ssHeight = static_cast<long long>(options->height) * options->supersample;
    if (ssWidth > kMaxCaptureSide || ssHeight > kMaxCaptureSide)
        return fail(error, "--supersample " + std::to_string(options->supersample) +
                               ": rendering size above 16384");
    if (options->noMusic && options->mode != CaptureMode::video)
        return fail(error, "--no-music: only with --video");
    // H.264 in the common 4:2:0 form needs even sides.
    if (options->mode == CaptureMode::video && (options->width % 2 || options->height % 2))
        return fail(error, "--size " + std::to_string(options->width) + "x" +
                               std::to_string(options->height) + ": video needs even sides");
    return true;
}
