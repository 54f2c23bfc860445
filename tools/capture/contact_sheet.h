// A contact sheet: thumbnails of frames along the timeline in a grid, each
// with its frame number printed underneath.
#pragma once

#include <cstdint>
#include <vector>

struct SheetLayout {
    int thumbWidth, thumbHeight;
    int columns, rows;
    int labelScale;             // font cell size of the frame numbers
    int cellWidth, cellHeight;  // thumbnail plus its label strip and the gap
    int width, height;          // the whole sheet
};

// The frames a sheet shows: the first frame of the range, then every
// multiple of `every` after it up to the last (1, 250, 500, ..., 8000).
void contactSheetFrames(std::vector<int>* frames, int first, int last, int every);

// A near-square grid for `count` thumbnails of the given size.
void contactSheetLayout(SheetLayout* layout, int count, int thumbWidth, int thumbHeight);

// A sheet of the layout's size in the background colour.
void clearContactSheet(std::vector<uint8_t>* sheet, const SheetLayout& layout);

// Copies thumbnail `index` (RGBA, top row first, thumbWidth x thumbHeight)
// into its cell and writes the frame number under it.
void placeThumbnail(std::vector<uint8_t>* sheet, const SheetLayout& layout, int index,
                    const uint8_t* thumb, int frame);
