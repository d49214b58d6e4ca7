#include "cli/crc32.h"

#include <array>
#include <cstdio>

namespace kestro::cli {

namespace {
constexpr std::array<uint32_t, 256> makeTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr std::array<uint32_t, 256> kTable = makeTable();
} // namespace

uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (uint8_t b : bytes) c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string crcText(uint32_t crc) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", crc);
    return text;
}

} // namespace kestro::cli
