#pragma once
// Per-device rules are written as lists of inclusive index ranges.

#include "shell/menu_tree.h"

#include <algorithm>
#include <iterator>

namespace kestro {

inline constexpr IndexRange kNoRange{-1, -1}; // pads a fixed-size list

template <size_t N> constexpr bool inRanges(const IndexRange (&ranges)[N], int index) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [index](const IndexRange& r) { return index >= r.first && index <= r.last; });
}

} // namespace kestro
