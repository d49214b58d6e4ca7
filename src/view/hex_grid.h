#pragma once
// view/ owns how the images are shown: the hex grid text and the marker area.
//
// Text of the hex grid: one row per 16 bytes with its address, sixteen byte cells and
// the same bytes as characters. Nothing is cached; every cell is formatted on demand.

#include "buffers/image_state.h"
#include "devices/device_state.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr int kGridColumns = 18;
// Longest cell: the character column, a space and 16 characters.
inline constexpr size_t kCellTextMax = 17;

// "Program Size: 8Kbyte", "Data Size: 128byte".
std::string sizeText(std::string_view prefix, uint32_t size);

// Rows including the header row; never fewer than 17.
int gridRowCount(uint32_t size);

// The bytes the grid shows and how many of them are inside the image.
struct GridSource {
    const uint8_t* bytes = nullptr;
    uint32_t shownSize = 0;
    uint32_t capacity = 0; // size of the buffer behind `bytes`
};
GridSource gridSource(const Images& img, const SelectedDevice& dev, uint32_t shownSize);

// Writes the text of the cell at `row` (1 and up; row 0 is the header) and `col` into
// `out`, which holds at least kCellTextMax characters. Returns the length.
size_t formatCell(const GridSource& src, int row, int col, char* out);

// Showing a 12- or 14-bit PIC program masks the high byte of every word in the buffer
// itself, so what is shown is what gets saved or programmed.
void applyPicMask(Images& img, const SelectedDevice& dev, uint32_t shownSize);

} // namespace kestro
