// Command line of qorv-capture: what to render (a range of frames at a size)
// and where it goes (numbered PNGs, a video, or one contact sheet).
#pragma once

#include <string>

#include "gl/egl_context.h"
#include "show/timeline.h"

enum class CaptureMode { none, frames, video, contactSheet };

// Frames the show has; a frame past the last presented one is never shown.
constexpr int kFirstShowFrame = 1;
constexpr int kLastShowFrame = int(kLastPresentedFrame);
// Largest width or height accepted before asking the GL; anything above is
// certainly a typing error.
constexpr int kMaxCaptureSide = 16384;
constexpr int kMaxSupersample = 8;
constexpr double kMaxFps = 1000.0;
constexpr int kMaxJobs = 1024;

struct CaptureOptions {
    int firstFrame = kFirstShowFrame;
    int lastFrame = kLastShowFrame;
    int width = 1920;
    int height = 1080;
    CaptureMode mode = CaptureMode::none;
    std::string outPath;  // the folder, the video file or the sheet file
    double fps = 60.0;
    int every = 250;  // contact sheet: a thumbnail every this many frames
    int supersample = 1;
    bool quiet = false;
    bool noMusic = false;  // video: frames only, even with c.ogg at hand
    int jobs = 0;          // worker processes; 0: one per core
    HeadlessDevice device = HeadlessDevice::automatic;
    bool help = false;
};

// Fills *options from argv[1..argc-1]. On a bad command line returns false
// with a one-line reason in *error that names the offending option.
bool parseCaptureArgs(CaptureOptions* options, std::string* error, int argc,
                      const char* const* argv);

// Parses "A..B" (or a single "N") into a frame range; false when malformed.
bool parseFrameRange(int* first, int* last, const std::string& text);

// Parses "WxH"; false when malformed.
bool parseSize(int* width, int* height, const std::string& text);

extern const char* const kCaptureUsage;
