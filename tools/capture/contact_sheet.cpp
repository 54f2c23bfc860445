// Contact sheet layout and composition.
#include "contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "digit_font.h"

namespace {

const int kGap = 4;  // pixels between cells and around the sheet
const uint8_t kBackground[3] = {24, 24, 24};
const uint8_t kLabelColor[3] = {230, 230, 230};

}  // namespace

void contactSheetFrames(std::vector<int>* frames, int first, int last, int every) {
    frames->clear();
    frames->push_back(first);
    for (int n = (first / every + 1) * every; n <= last; n += every) frames->push_back(n);
}

void contactSheetLayout(SheetLayout* layout, int count, int thumbWidth, int thumbHeight) {
    layout->thumbWidth = thumbWidth;
    layout->thumbHeight = thumbHeight;
    layout->columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(count)))));
    layout->rows = std::max(1, (count + layout->columns - 1) / layout->columns);
    // Labels about a tenth of a thumbnail's height, never under 2 pixels a cell.
    layout->labelScale = std::max(2, thumbHeight / 54);
    layout->cellWidth = thumbWidth + kGap;
    layout->cellHeight = thumbHeight + kDigitHeight * layout->labelScale + 2 * kGap;
    layout->width = layout->columns * layout->cellWidth + kGap;
    layout->height = layout->rows * layout->cellHeight + kGap;
}

void clearContactSheet(std::vector<uint8_t>* sheet, const SheetLayout& layout) {
    sheet->resize(static_cast<size_t>(layout.width) * layout.height * 4);
    for (size_t i = 0; i < sheet->size(); i += 4) {
        std::memcpy(sheet->data() + i, kBackground, 3);
        (*sheet)[i + 3] = 255;
    }
}

void placeThumbnail(std::vector<uint8_t>* sheet, const SheetLayout& layout, int index,
                    const uint8_t* thumb, int frame) {
    const int left = kGap + (index % layout.columns) * layout.cellWidth;
    const int top = kGap + (index / layout.columns) * layout.cellHeight;
    const size_t rowBytes = static_cast<size_t>(layout.thumbWidth) * 4;
    for (int y = 0; y < layout.thumbHeight; ++y)
        std::memcpy(sheet->data() + (static_cast<size_t>(top + y) * layout.width + left) * 4,
                    thumb + y * rowBytes, rowBytes);
    drawNumber(sheet->data(), layout.width, layout.height, left, top + layout.thumbHeight + kGap,
               frame, layout.labelScale, kLabelColor);
}
