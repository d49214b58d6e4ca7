#pragma once
// The variants a fuse or configuration layout tells apart among the chips that use it
// (which layout a chip uses is its catalogue row's). The layouts name these groups;
// the indexes behind them live here, with the other per-device facts.

#include "devices/index_ranges.h"

namespace kestro {

// A set of devices. No range at all: every device of the layout it is used in.
struct Devices {
    IndexRange ranges[4] = {kNoRange, kNoRange, kNoRange, kNoRange};
    constexpr bool contains(int device) const {
        if (ranges[0].first < 0) return true;
        for (const IndexRange& r : ranges)
            if (device >= r.first && device <= r.last) return true;
        return false;
    }
};
inline constexpr Devices kEveryDevice{};
constexpr Devices among(IndexRange a, IndexRange b = kNoRange, IndexRange c = kNoRange,
                        IndexRange d = kNoRange) {
    return Devices{{a, b, c, d}};
}

namespace fuse_groups {

// ---- variants within a layout ----
inline constexpr Devices k1200 = among({14, 14});
inline constexpr Devices k2313 = among({15, 15});
inline constexpr Devices k625_715 = among({59, 59}, {61, 61});
inline constexpr Devices k711 = among({60, 60});
inline constexpr Devices k625_711 = among({59, 60});
inline constexpr Devices k715 = among({61, 61});
inline constexpr Devices kC71_C84 = among({62, 63});
inline constexpr Devices kF84 = among({68, 68});
inline constexpr Devices k627 = among({69, 69});
inline constexpr Devices k628 = among({70, 70});
inline constexpr Devices k627_628 = among({69, 70});
inline constexpr Devices kA = among({71, 73});
inline constexpr Devices k870_871 = among({81, 82});
inline constexpr Devices k872 = among({83, 83});
inline constexpr Devices k873_874 = among({84, 85});
inline constexpr Devices k876_877 = among({86, 87});
inline constexpr Devices k872_877 = among({83, 87});
inline constexpr Devices k873a_874a = among({88, 89});
inline constexpr Devices k876a_877a = among({90, 91});
inline constexpr Devices k92To100 = among({92, 100});
inline constexpr Devices k6680 = among({101, 101});
inline constexpr Devices kTwoBlocks = among({92, 93}, {96, 97});
inline constexpr Devices kFourBlocks = among({94, 95}, {98, 101});
inline constexpr Devices kCcp2Mux = among({92, 92}, {94, 94}, {96, 96}, {98, 98});
inline constexpr Devices k5xWithOneProtect = among({50, 50}, {54, 54}, {56, 56});
inline constexpr Devices k5xWithTwoProtect = among({51, 53}, {55, 55}, {57, 57});

} // namespace fuse_groups
} // namespace kestro
