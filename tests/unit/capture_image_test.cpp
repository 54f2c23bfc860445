// The picture helpers of qorv-capture: the box filter, the digit font, the
// frames a contact sheet shows and where each thumbnail lands.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "box_filter.h"
#include "contact_sheet.h"
#include "digit_font.h"

TEST(BoxFilter, AveragesEachBlockWithRounding) {
    // 4 x 2 input, factor 2 -> 2 x 1 output.
    std::vector<uint8_t> in(4 * 2 * 4, 0);
    auto set = [&](int x, int y, uint8_t r, uint8_t a) {
        in[(y * 4 + x) * 4 + 0] = r;
        in[(y * 4 + x) * 4 + 3] = a;
    };
    set(0, 0, 10, 255), set(1, 0, 20, 255), set(0, 1, 30, 255), set(1, 1, 41, 255);
    set(2, 0, 255, 0), set(3, 0, 255, 0), set(2, 1, 0, 0), set(3, 1, 1, 0);
    // A neighbouring block must not leak into this one: channel green stays 0.
    std::vector<uint8_t> out(2 * 1 * 4, 99);
    boxDownsample(out.data(), in.data(), 2, 1, 2);
    EXPECT_EQ(out[0], 25);  // (10 + 20 + 30 + 41) / 4 = 25.25
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[4], 128);  // (255 + 255 + 0 + 1) / 4 = 127.75
    EXPECT_EQ(out[7], 0);
}

TEST(BoxFilter, FactorOneCopiesAndRowsStayInOrder) {
    std::vector<uint8_t> in(3 * 2 * 4);
    for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i * 7);
    std::vector<uint8_t> out(in.size());
    boxDownsample(out.data(), in.data(), 3, 2, 1);
    EXPECT_EQ(out, in);

    // 2 x 6 input of three uniform row pairs -> 1 x 3, top to bottom.
    std::vector<uint8_t> tall(2 * 6 * 4);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 4; ++c) tall[(y * 2 + x) * 4 + c] = uint8_t(50 * (y / 2) + c);
    std::vector<uint8_t> column(3 * 4);
    boxDownsample(column.data(), tall.data(), 1, 3, 2);
    EXPECT_EQ(column[0], 0);
    EXPECT_EQ(column[4], 50);
    EXPECT_EQ(column[8], 100);
    EXPECT_EQ(column[9], 101);
}

namespace {

// The glyph of one drawn digit read back as five rows of three bits.
std::vector<int> readGlyph(const std::vector<uint8_t>& image, int width, int left, int scale) {
    std::vector<int> rows;
    for (int r = 0; r < kDigitHeight; ++r) {
        int bits = 0;
        for (int c = 0; c < kDigitWidth; ++c) {
            const uint8_t* p = &image[((r * scale) * width + left + c * scale) * 4];
            bits = bits * 2 + (p[0] == 255 ? 1 : 0);
        }
        rows.push_back(bits);
    }
    return rows;
}

}  // namespace

TEST(DigitFont, EveryDigitIsDistinctAndPlacedLeftToRight) {
    const int scale = 2;
    const int width = numberWidth(1234567890, scale);
    EXPECT_EQ(width, (10 * 4 - 1) * scale);
    const int height = kDigitHeight * scale;
    std::vector<uint8_t> image(size_t(width) * height * 4, 0);
    const uint8_t white[3] = {255, 255, 255};
    drawNumber(image.data(), width, height, 0, 0, 1234567890, scale, white);
    std::vector<std::vector<int>> glyphs;
    for (int d = 0; d < 10; ++d) glyphs.push_back(readGlyph(image, width, d * 4 * scale, scale));
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b) EXPECT_NE(glyphs[a], glyphs[b]) << a << " " << b;
    // "1" is the narrow digit: its left column is empty except for the flag.
    EXPECT_EQ(glyphs[0], (std::vector<int>{2, 6, 2, 2, 7}));
    // The gap column between digits stays empty.
    for (int y = 0; y < height; ++y)
        for (int x = 3 * scale; x < 4 * scale; ++x) EXPECT_EQ(image[(y * width + x) * 4], 0);
}

TEST(DigitFont, DrawingNearTheEdgeIsClipped) {
    const int width = 5, height = 4;
    std::vector<uint8_t> image(width * height * 4 + 64, 7);  // a guard zone after the image
    const uint8_t red[3] = {255, 0, 0};
    drawNumber(image.data(), width, height, 3, 2, 88, 3, red);
    drawNumber(image.data(), width, height, -20, -20, 8, 3, red);
    for (size_t i = width * height * 4; i < image.size(); ++i) EXPECT_EQ(image[i], 7);
    EXPECT_EQ(image[(2 * width + 3) * 4], 255);  // the first cell of the 8 did land
}

TEST(ContactSheet, FramesAlongTheTimeline) {
    std::vector<int> frames;
    contactSheetFrames(&frames, 1, 8000, 250);
    ASSERT_EQ(frames.size(), 33u);
    EXPECT_EQ(frames[0], 1);
    EXPECT_EQ(frames[1], 250);
    EXPECT_EQ(frames[2], 500);
    EXPECT_EQ(frames.back(), 8000);

    contactSheetFrames(&frames, 250, 1000, 250);
    EXPECT_EQ(frames, (std::vector<int>{250, 500, 750, 1000}));
    contactSheetFrames(&frames, 3, 3, 250);
    EXPECT_EQ(frames, (std::vector<int>{3}));
    contactSheetFrames(&frames, 7990, 8000, 1);
    EXPECT_EQ(frames.size(), 11u);
}

TEST(ContactSheet, ThumbnailsFillTheirOwnCellsAndCarryTheirNumbers) {
    SheetLayout layout;
    contactSheetLayout(&layout, 33, 192, 108);
    EXPECT_EQ(layout.columns, 6);
    EXPECT_EQ(layout.rows, 6);
    EXPECT_GE(layout.cellHeight, 108 + kDigitHeight * layout.labelScale);

    // Small case: 5 thumbnails of 8 x 6, each a flat shade of its own.
    contactSheetLayout(&layout, 5, 8, 6);
    EXPECT_EQ(layout.columns * layout.rows >= 5, true);
    std::vector<uint8_t> sheet;
    clearContactSheet(&sheet, layout);
    const uint8_t background = sheet[0];
    for (int i = 0; i < 5; ++i) {
        std::vector<uint8_t> thumb(8 * 6 * 4, uint8_t(100 + i));
        placeThumbnail(&sheet, layout, i, thumb.data(), 7);
    }
    for (int i = 0; i < 5; ++i) {
        const int left = 4 + (i % layout.columns) * layout.cellWidth;
        const int top = 4 + (i / layout.columns) * layout.cellHeight;
        auto at = [&](int x, int y) { return sheet[(size_t(y) * layout.width + x) * 4]; };
        EXPECT_EQ(at(left, top), 100 + i);
        EXPECT_EQ(at(left + 7, top + 5), 100 + i);
        EXPECT_EQ(at(left + 8, top + 5), background);  // right of the thumbnail
        // The label "7" starts with a full top row under the thumbnail.
        const int labelTop = top + 6 + 4;
        EXPECT_EQ(at(left, labelTop), 230) << i;
        EXPECT_EQ(at(left, labelTop + 4 * layout.labelScale), background) << i;
    }
}
