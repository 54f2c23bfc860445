// qorv-capture: renders any range of the show headless, in worker processes,
// to numbered PNGs, to a video with the music, or to one contact sheet.
// Exit codes: 0 done, 2 bad command line or output, 1 no GL context or a
// failure while writing.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/png_write.h"
#include "capture_args.h"
#include "capture_workers.h"
#include "contact_sheet.h"
#include "gl/egl_context.h"
#include "music_file.h"
#include "output_files.h"
#include "progress.h"
#include "video_pipe.h"

namespace {

int failWith(int code, const std::string& why) {
    std::fprintf(stderr, "qorv-capture: %s\n", why.c_str());
    return code;
}

// The workers write the PNGs; here they are counted in frame order.
int captureFrames(const WorkerPlan& plan, const CaptureOptions& options, const std::string& label) {
    std::string error;
    progressBegin(static_cast<int>(plan.frames.size()), options.quiet, label);
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        if (!takeFrame(&error, nullptr, i)) return failWith(1, error);
        progressAdvance();
    }
    if (!finishWorkers(&error)) return failWith(1, error);
    progressEnd();
    return 0;
}

int captureVideo(const WorkerPlan& plan, const CaptureOptions& options, const std::string& label,
                 const std::string& ffmpeg) {
    VideoRequest request;
    request.ffmpeg = ffmpeg;
    request.output = temporaryPath(options.outPath);
    request.width = options.width;
    request.height = options.height;
    request.fps = options.fps;
    const int count = options.lastFrame - options.firstFrame + 1;
    // The show plays the music from the working folder; so does the video
    // (or else with the soundtrack beside this program), unless it is one
    // part of a capture joined later.
    if (!options.noMusic) request.music = findMusicFile();
    request.musicStart = (options.firstFrame - 1) / options.fps;
    request.duration = count / options.fps;

    std::string error;
    if (!openVideoPipe(&error, request)) {
        stopWorkers();
        return failWith(1, error);
    }
    std::vector<uint8_t> rgba;
    progressBegin(count, options.quiet, label);
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        bool taken = takeFrame(&error, &rgba, i);
        if (taken && !writeVideoFrame(rgba.data(), rgba.size())) {
            stopWorkers();
            error = "ffmpeg stopped taking frames at frame " + std::to_string(plan.frames[i]);
            taken = false;
        }
        if (!taken) {
            abandonVideoPipe();
            std::remove(request.output.c_str());
            return failWith(1, error);
        }
        progressAdvance();
    }
    if (!finishWorkers(&error) || !closeVideoPipe(&error)) {
        abandonVideoPipe();
        std::remove(request.output.c_str());
        return failWith(1, error);
    }
    progressEnd();
    if (!commitFile(&error, request.output, options.outPath)) return failWith(1, error);
    return 0;
}

int captureContactSheet(const WorkerPlan& plan, const CaptureOptions& options,
                        const std::string& label) {
    SheetLayout layout;
    contactSheetLayout(&layout, static_cast<int>(plan.frames.size()), options.width,
                       options.height);
    std::vector<uint8_t> sheet;
    clearContactSheet(&sheet, layout);
    std::vector<uint8_t> thumb;
    std::string error;
    progressBegin(static_cast<int>(plan.frames.size()), options.quiet, label);
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        if (!takeFrame(&error, &thumb, i)) return failWith(1, error);
        placeThumbnail(&sheet, layout, static_cast<int>(i), thumb.data(), plan.frames[i]);
        progressAdvance();
    }
    if (!finishWorkers(&error)) return failWith(1, error);
    progressEnd();
    const std::string temporary = temporaryPath(options.outPath);
    errno = 0;
    if (!writePng(temporary.c_str(), layout.width, layout.height, sheet.data())) {
        const std::string why = errno ? std::string(": ") + std::strerror(errno) : "";
        std::remove(temporary.c_str());
        return failWith(1, "cannot write " + options.outPath + why);
    }
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
    // A file-size limit or a full disk must fail a write with a message, not
    // end the process with SIGXFSZ.
    signal(SIGXFSZ, SIG_IGN);

    WorkerPlan plan;
    if (options.mode == CaptureMode::contactSheet) {
        contactSheetFrames(&plan.frames, options.firstFrame, options.lastFrame, options.every);
    } else {
        for (int n = options.firstFrame; n <= options.lastFrame; ++n) plan.frames.push_back(n);
    }
    const int cores = availableCores();
    plan.jobs =
        std::min(options.jobs > 0 ? options.jobs : cores, static_cast<int>(plan.frames.size()));
    plan.rasterThreads = rasterThreadsFor(plan.jobs, cores);
    plan.width = options.width;
    plan.height = options.height;
    plan.supersample = options.supersample;
    plan.device = options.device;
    if (options.mode == CaptureMode::frames) plan.pngFolder = options.outPath;

    std::string renderer;
    switch (startWorkers(&error, &renderer, plan)) {
    case ContextResult::ready:
        break;
    case ContextResult::tooLarge:
        return failWith(2, error);
    case ContextResult::unavailable:
        return failWith(1, error);
    }
    const std::string label =
        std::to_string(plan.jobs) + (plan.jobs == 1 ? " job" : " jobs") + " on " + renderer;

    switch (options.mode) {
    case CaptureMode::frames:
        return captureFrames(plan, options, label);
    case CaptureMode::video:
        return captureVideo(plan, options, label, ffmpeg);
    case CaptureMode::contactSheet:
        return captureContactSheet(plan, options, label);
    case CaptureMode::none:
        break;
    }
    stopWorkers();
    return 2;
}
