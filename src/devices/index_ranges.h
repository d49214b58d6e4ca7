#pragma once
// Per-device rules are written as lists of inclusive device index ranges.

#include <algorithm>
#include <iterator>

namespace kestro {

struct IndexRange {
    int first;
    int last;
};

inline constexpr IndexRange kNoRange{-1, -1}; // pads a fixed-size list

template <class Ranges> constexpr bool inRanges(const Ranges& ranges, int index) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [index](const IndexRange& r) { return index >= r.first && index <= r.last; });
}

} // namespace kestro
