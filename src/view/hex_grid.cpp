#include "view/hex_grid.h"

#include "buffers/images.h"

#include <algorithm>

namespace kestro {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
}

std::string sizeText(std::string_view prefix, uint32_t size) {
    std::string s(prefix);
    if (size >= 1024) s += std::to_string(size / 1024) + "Kbyte";
    else s += std::to_string(size) + "byte";
    return s;
}

int gridRowCount(uint32_t size) {
    if (size / 16 < 16) return 17;
    return static_cast<int>(size / 16 + 1);
}

GridSource gridSource(const Images& img, const SelectedDevice& dev, uint32_t shownSize) {
    if (dev.programSize > 0 && dev.dataSize > 0 && img.view == DataView)
        return {img.data.data(), shownSize, kDataBufferSize};
    return {img.program.data(), shownSize, kProgramBufferSize};
}

size_t formatCell(const GridSource& src, int row, int col, char* out) {
    if (row < 1 || col < 0 || col >= kGridColumns) return 0;
    const uint32_t base = static_cast<uint32_t>(row - 1) * 16;
    // A shown size left over from another view must never read past the buffer.
    const uint32_t limit = std::min(src.shownSize, src.capacity);
    if (base >= limit) return 0;
    if (col == 0) {
        for (int d = 0; d < 6; ++d) out[d] = kHex[(base >> (20 - 4 * d)) & 0xF];
        out[6] = 'h';
        return 7;
    }
    if (col == 17) {
        out[0] = ' ';
        for (uint32_t k = 0; k < 16; ++k) {
            const uint32_t offset = base + k;
            char c = ' ';
            if (offset < limit) {
                const uint8_t b = src.bytes[offset];
                c = b >= 0x21 && b <= 0x7F ? static_cast<char>(b) : '.';
            }
            out[1 + k] = c;
        }
        return 17;
    }
    const uint32_t offset = base + static_cast<uint32_t>(col - 1);
    if (offset >= limit) return 0;
    const uint8_t b = src.bytes[offset];
    out[0] = kHex[b >> 4];
    out[1] = kHex[b & 0xF];
    return 2;
}

void applyPicMask(Images& img, const SelectedDevice& dev, uint32_t shownSize) {
    const PicCore core = picCoreOf(dev.index);
    if ((core != PicCore::Core12 && core != PicCore::Core14) || img.view != ProgramView) return;
    const uint8_t mask = picHighByteMask(dev.index);
    const uint32_t end = std::min(shownSize, kProgramBufferSize);
    for (uint32_t i = 0; i < end; i += 2) img.program[i] &= mask;
}

} // namespace kestro
