#pragma once
// The device groups the fuse and configuration layouts tell apart: which devices use
// which layout, and the variants within a layout. The layouts name these groups;
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

// ---- which layout a device gets ----
inline constexpr Devices kLock3Devices = among({0, 2}, {22, 22}, {25, 25});
inline constexpr Devices kLock4Devices = among({3, 11});
inline constexpr Devices kAt89sDevices = among({12, 13});
inline constexpr Devices kAt90sDevices = among({14, 15});
inline constexpr Devices kTiny11Devices = among({16, 16});
inline constexpr Devices kTiny12Devices = among({17, 17}, {19, 19});
inline constexpr Devices kTiny15Devices = among({18, 18}, {20, 20});
inline constexpr Devices kTiny28Devices = among({21, 21});
inline constexpr Devices kMegaDevices = among({27, 28});
inline constexpr Devices kW78Devices = among({29, 31});
inline constexpr Devices kPic12c5Devices = among({46, 47});
inline constexpr Devices kPic12c67Devices = among({48, 49});
inline constexpr Devices kPic16c5xDevices = among({50, 57});
inline constexpr Devices kPic16c505Devices = among({58, 58});
inline constexpr Devices kPic16c62xDevices = among({59, 61});
inline constexpr Devices kPic16c84Devices = among({62, 63}, {68, 68});
inline constexpr Devices kPic12f6xxDevices = among({64, 67});
inline constexpr Devices kPic16f62xDevices = among({69, 73});
inline constexpr Devices kPic16f7xDevices = among({74, 78});
inline constexpr Devices kPic16f81xDevices = among({79, 80});
inline constexpr Devices kPic16f87xDevices = among({81, 87});
inline constexpr Devices kPic16f87xaDevices = among({88, 91});
inline constexpr Devices kPic18Devices = among({92, 101});

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
