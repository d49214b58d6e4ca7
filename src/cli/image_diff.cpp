#include "cli/image_diff.h"

#include <algorithm>

namespace kestro::cli {

ImageDiff diffImages(std::span<const uint8_t> expected, std::span<const uint8_t> found,
                     uint32_t base, uint8_t evenMask) {
    ImageDiff d;
    const size_t n = std::min(expected.size(), found.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t mask = i % 2 == 0 ? evenMask : 0xFF;
        if ((expected[i] & mask) == (found[i] & mask)) continue;
        ++d.bytes;
        const auto at = static_cast<uint32_t>(base + i);
        if (!d.ranges.empty() && d.ranges.back().last + 1 == at) d.ranges.back().last = at;
        else d.ranges.push_back({at, at});
    }
    return d;
}

} // namespace kestro::cli
