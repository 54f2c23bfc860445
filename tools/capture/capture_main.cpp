// qorv-capture: renders any range of the show headless, frame by frame, to
// numbered PNGs, to a video with the music, or to one contact sheet.
// Exit codes: 0 done, 2 bad command line or output, 1 no GL context or a
// failure while writing.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture_args.h"
#include "contact_sheet.h"
#include "frame_grab.h"
#include "gl/egl_context.h"
#include "output_files.h"
#include "progress.h"
#include "video_pipe.h"

namespace {

const char* const kMusicFile = "c.ogg";

int failWith(int code, const std::string& why) {
    std::fprintf(stderr, "qorv-capture: %s\n", why.c_str());
    return code;
}

int captureFrames(const CaptureOptions& options) {
    std::vector<uint8_t> rgba;
    std::string error;
    progressBegin(options.lastFrame - options.firstFrame + 1, options.quiet);
    for (int n = options.firstFrame; n <= options.lastFrame; ++n) {
        grabFrame(&rgba, n);
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%04d.png", n);
        const std::string path = options.outPath + name;
        const std::string temporary = temporaryPath(path);
        if (!writePng(temporary.c_str(), options.width, options.height, rgba.data())) {
            std::remove(temporary.c_str());
            return failWith(1, "cannot write " + path);
        }
        if (!commitFile(&error, temporary, path)) return failWith(1, error);
        progressAdvance();
    }
    progressEnd();
    return 0;
}

int captureVideo(const CaptureOptions& options, const std::string& ffmpeg) {
    VideoRequest request;
    request.ffmpeg = ffmpeg;
    request.output = temporaryPath(options.outPath);
    request.width = options.width;
    request.height = options.height;
    request.fps = options.fps;
    const int count = options.lastFrame - options.firstFrame + 1;
    // The show plays the music from the working folder; so does the video.
    if (access(kMusicFile, R_OK) == 0) request.music = kMusicFile;
    request.musicStart = (options.firstFrame - 1) / options.fps;
    request.duration = count / options.fps;

    std::string error;
    if (!openVideoPipe(&error, request)) return failWith(1, error);
    std::vector<uint8_t> rgba;
    progressBegin(count, options.quiet);
    for (int n = options.firstFrame; n <= options.lastFrame; ++n) {
        grabFrame(&rgba, n);
        if (!writeVideoFrame(rgba.data(), rgba.size())) {
            abandonVideoPipe();
            std::remove(request.output.c_str());
            return failWith(1, "ffmpeg stopped taking frames at frame " + std::to_string(n));
        }
        progressAdvance();
    }
    progressEnd();
    if (!closeVideoPipe(&error)) {
        std::remove(request.output.c_str());
        return failWith(1, error);
    }
    if (!commitFile(&error, request.output, options.outPath)) return failWith(1, error);
    return 0;
}

int captureContactSheet(const CaptureOptions& options) {
    std::vector<int> frames;
    contactSheetFrames(&frames, options.firstFrame, options.lastFrame, options.every);
    SheetLayout layout;
    contactSheetLayout(&layout, static_cast<int>(frames.size()), options.width, options.height);
    std::vector<uint8_t> sheet;
    clearContactSheet(&sheet, layout);
    std::vector<uint8_t> thumb;
    progressBegin(static_cast<int>(frames.size()), options.quiet);
    for (size_t i = 0; i < frames.size(); ++i) {
        grabFrame(&thumb, frames[i]);
        placeThumbnail(&sheet, layout, static_cast<int>(i), thumb.data(), frames[i]);
        progressAdvance();
    }
    progressEnd();
    const std::string temporary = temporaryPath(options.outPath);
    if (!writePng(temporary.c_str(), layout.width, layout.height, sheet.data())) {
        std::remove(temporary.c_str());
        return failWith(1, "cannot write " + options.outPath);
    }
    std::string error;
    if (!commitFile(&error, temporary, options.outPath)) return failWith(1, error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureArgs(&options, &error, argc, argv)) return failWith(2, error);
    if (options.help) {
        std::fputs(kCaptureUsage, stdout);
        return 0;
    }

    // Everything about the output is checked before the (slow) start-up.
    bool writable = options.mode == CaptureMode::frames
                        ? prepareOutputFolder(&error, options.outPath)
                        : checkOutputFile(&error, options.outPath);
    if (!writable) return failWith(2, error);
    std::string ffmpeg;
    if (options.mode == CaptureMode::video) {
        ffmpeg = findOnPath("ffmpeg");
        if (ffmpeg.empty()) return failWith(2, "--video needs ffmpeg, which is not on PATH");
    }

    switch (startCaptureContext(&error, options.width, options.height, options.supersample)) {
    case ContextResult::ready:
        break;
    case ContextResult::tooLarge:
        return failWith(2, error);
    case ContextResult::unavailable:
        return failWith(1, error);
    }

    switch (options.mode) {
    case CaptureMode::frames:
        return captureFrames(options);
    case CaptureMode::video:
        return captureVideo(options, ffmpeg);
    case CaptureMode::contactSheet:
        return captureContactSheet(options);
    case CaptureMode::none:
        break;
    }
    return 2;
}
