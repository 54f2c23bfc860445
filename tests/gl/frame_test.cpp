// Chosen frames of the show rendered headless and checked in pixels: the
// curtains closed and parting, and a frame that depends on its number alone.
// The calls and values of every frame are checked in the traced whole run
// (e2e linux_trace); each test's name gives the reason for its check.
#include "frame_support.h"

namespace {

int countColor(const Image& image, int r, int g, int b, int tolerance) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) count += isColor(image.at(x, y), r, g, b, tolerance);
    return count;
}

bool rowIsBlack(const Image& image, int y) {
    for (int x = 0; x < image.width; ++x)
        if (!isColor(image.at(x, y), 0, 0, 0, 0)) return false;
    return true;
}

}  // namespace

TEST(Frames, AtFrameOneTheClosedCurtainsCoverEveryPixel) {
    requireShow();
    Image image = renderShowFrame(1);
    EXPECT_EQ(countColor(image, 0, 0, 0, 0), image.width * image.height)
        << saveForInspection(image, "n1");
}

TEST(Frames, AtFrame700TheCurtainsLeaveBandsAtTopAndBottomAndTheSceneBetween) {
    requireShow();
    Image image = renderShowFrame(700);
    EXPECT_TRUE(rowIsBlack(image, 0));
    EXPECT_TRUE(rowIsBlack(image, image.height - 1));
    EXPECT_FALSE(rowIsBlack(image, image.height / 2)) << saveForInspection(image, "n700");
}

TEST(Frames, AFrameIsAPureFunctionOfItsNumber) {
    requireShow();
    Image first = renderShowFrame(2500);
    renderShowFrame(100);
    Image again = renderShowFrame(2500);
    EXPECT_EQ(first.rgba, again.rgba);
}
