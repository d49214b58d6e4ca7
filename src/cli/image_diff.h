#pragma once
// Where two images differ: the count of differing bytes and their runs.

#include <cstdint>
#include <span>
#include <vector>

namespace kestro::cli {

struct AddressRange {
    uint32_t first;
    uint32_t last; // inclusive
    bool operator==(const AddressRange&) const = default;
};

struct ImageDiff {
    uint32_t bytes = 0;
    std::vector<AddressRange> ranges; // adjacent differing bytes merged, in address order
};

// Compares two images of equal length starting at `base`; `evenMask` is applied to the
// bytes at even offsets from `base` (the unused high bits of a PIC program word).
ImageDiff diffImages(std::span<const uint8_t> expected, std::span<const uint8_t> found,
                     uint32_t base, uint8_t evenMask = 0xFF);

} // namespace kestro::cli
