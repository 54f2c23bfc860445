// qorv-capture's command line: good ranges and sizes parse to what was
// asked; bad ones are refused with a reason that names the option.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "capture_args.h"

namespace {

struct Parsed {
    bool ok;
    CaptureOptions options;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv = {"qorv-capture"};
    argv.insert(argv.end(), args);
    Parsed p;
    p.ok = parseCaptureArgs(&p.options, &p.error, int(argv.size()), argv.data());
    return p;
}

// Refused, with a one-line message that mentions `names`.
void expectRefused(std::initializer_list<const char*> args, const char* names) {
    Parsed p = parse(args);
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_FALSE(p.ok) << joined;
    EXPECT_NE(p.error.find(names), std::string::npos) << joined << "-> " << p.error;
    EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
}

}  // namespace

TEST(CaptureArgs, DefaultsCoverTheWholeShowAtFullHd) {
    Parsed p = parse({"--out", "dir"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.firstFrame, 1);
    EXPECT_EQ(p.options.lastFrame, 8000);
    EXPECT_EQ(p.options.width, 1920);
    EXPECT_EQ(p.options.height, 1080);
    EXPECT_EQ(p.options.mode, CaptureMode::frames);
    EXPECT_EQ(p.options.outPath, "dir");
    EXPECT_EQ(p.options.supersample, 1);
    EXPECT_FALSE(p.options.quiet);
    EXPECT_EQ(p.options.jobs, 0);  // one per core, decided at run time
    EXPECT_EQ(p.options.device, HeadlessDevice::automatic);
    EXPECT_FALSE(p.options.noMusic);
}

TEST(CaptureArgs, JobsAndDevice) {
    Parsed p = parse({"--jobs", "3", "--device", "software", "--out", "d"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.jobs, 3);
    EXPECT_EQ(p.options.device, HeadlessDevice::software);
    p = parse({"--jobs=1", "--device=auto", "--out", "d"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.jobs, 1);
    EXPECT_EQ(p.options.device, HeadlessDevice::automatic);
    expectRefused({"--jobs", "0", "--out", "d"}, "--jobs 0");
    expectRefused({"--jobs", "1025", "--out", "d"}, "--jobs");
    expectRefused({"--jobs", "two", "--out", "d"}, "--jobs");
    expectRefused({"--device", "gpu", "--out", "d"}, "--device gpu");
}

TEST(CaptureArgs, GoodRangesAndSizes) {
    Parsed p = parse({"--frames", "1..8000", "--size", "64x36", "--out", "d"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.firstFrame, 1);
    EXPECT_EQ(p.options.lastFrame, 8000);
    EXPECT_EQ(p.options.width, 64);
    EXPECT_EQ(p.options.height, 36);

    p = parse({"--frames=3499..3501", "--size=1x1", "--out=d"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.firstFrame, 3499);
    EXPECT_EQ(p.options.lastFrame, 3501);
    EXPECT_EQ(p.options.width, 1);
    EXPECT_EQ(p.options.height, 1);

    // A single frame, and the largest accepted side.
    p = parse({"--frames", "8000", "--size", "16384x8", "--out", "d"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.firstFrame, 8000);
    EXPECT_EQ(p.options.lastFrame, 8000);
    EXPECT_EQ(p.options.width, 16384);
}

TEST(CaptureArgs, RangesOutsideTheShowOrReversedAreRefused) {
    expectRefused({"--frames", "0..3", "--out", "d"}, "--frames 0..3");
    expectRefused({"--frames", "1..8001", "--out", "d"}, "1 to 8000");
    expectRefused({"--frames", "8001", "--out", "d"}, "1 to 8000");
    expectRefused({"--frames", "5..0", "--out", "d"}, "1 to 8000");
    expectRefused({"--frames", "9..3", "--out", "d"}, "reversed");
    expectRefused({"--frames", "-1..3", "--out", "d"}, "--frames");
    expectRefused({"--frames", "1...3", "--out", "d"}, "--frames");
    expectRefused({"--frames", "a..b", "--out", "d"}, "--frames");
    expectRefused({"--frames", "..", "--out", "d"}, "--frames");
    expectRefused({"--frames", "99999999999..1", "--out", "d"}, "--frames");
}

TEST(CaptureArgs, ZeroAbsurdOrMalformedSizesAreRefused) {
    expectRefused({"--size", "0x100", "--out", "d"}, "zero");
    expectRefused({"--size", "100x0", "--out", "d"}, "zero");
    expectRefused({"--size", "16385x10", "--out", "d"}, "16384");
    expectRefused({"--size", "10x20000", "--out", "d"}, "16384");
    expectRefused({"--size", "1920", "--out", "d"}, "--size");
    expectRefused({"--size", "1920x", "--out", "d"}, "--size");
    expectRefused({"--size", "-5x5", "--out", "d"}, "--size");
    expectRefused({"--size", "12x12x12", "--out", "d"}, "--size");
    // Supersampling counts towards the limit.
    expectRefused({"--size", "9000x10", "--supersample", "2", "--out", "d"}, "--supersample");
    expectRefused({"--supersample", "0", "--out", "d"}, "--supersample");
    expectRefused({"--supersample", "9", "--out", "d"}, "--supersample");
}

TEST(CaptureArgs, OutputsAreExclusiveAndRequired) {
    expectRefused({"--frames", "1..3"}, "--out");
    expectRefused({"--out", "d", "--video", "v.mp4"}, "only one");
    expectRefused({"--contact-sheet", "s.png", "--out", "d"}, "only one");
    expectRefused({"--out", ""}, "empty");
    expectRefused({"--out"}, "--out needs a value");
}

TEST(CaptureArgs, VideoAndSheetSettings) {
    Parsed p = parse({"--video", "v.mp4", "--fps", "29.97", "--size", "64x36"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.mode, CaptureMode::video);
    EXPECT_DOUBLE_EQ(p.options.fps, 29.97);
    EXPECT_FALSE(p.options.noMusic);
    p = parse({"--video", "part.mp4", "--no-music"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.noMusic);
    expectRefused({"--out", "d", "--no-music"}, "--no-music");
    expectRefused({"--video", "v.mp4", "--no-music=1"}, "--no-music");
    expectRefused({"--video", "v.mp4", "--fps", "0"}, "--fps");
    expectRefused({"--video", "v.mp4", "--fps", "nan"}, "--fps");
    expectRefused({"--video", "v.mp4", "--fps", "60fps"}, "--fps");
    expectRefused({"--video", "v.mp4", "--size", "63x36"}, "even");

    // Without a size a sheet gets small thumbnails; with one, that size.
    p = parse({"--contact-sheet", "s.png"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.width, 192);
    EXPECT_EQ(p.options.height, 108);
    EXPECT_EQ(p.options.every, 250);
    p = parse({"--size", "96x54", "--contact-sheet", "s.png", "--every", "1000", "--quiet"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.width, 96);
    EXPECT_EQ(p.options.every, 1000);
    EXPECT_TRUE(p.options.quiet);
    expectRefused({"--contact-sheet", "s.png", "--every", "0"}, "--every");
}

TEST(CaptureArgs, UnknownOptionsAndStrayValuesAreNamed) {
    expectRefused({"--out", "d", "--framez", "1..3"}, "unknown option --framez");
    expectRefused({"--out", "d", "extra"}, "unknown option extra");
    expectRefused({"--quiet=yes", "--out", "d"}, "--quiet");
    expectRefused({"--out", "d", "--size"}, "--size needs a value");
}

TEST(CaptureArgs, HelpStopsParsing) {
    Parsed p = parse({"--help", "--bogus"});
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.options.help);
}
