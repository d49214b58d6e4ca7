#include "fuses/fuse_layouts.h"

#include "devices/index_ranges.h"

namespace kestro {
namespace {

// A layout whose controls are not made yet: the panel shows only its title.
void nothing(FusePanel&) {}

constexpr IndexRange kNo = kNoRange;

// Each family's layouts replace `nothing` with their own build, fill and read-back.
constexpr FuseLayout kLayouts[] = {
    {"8051 lock, three levels", {{0, 2}, {22, 22}, {25, 25}}, nothing, nothing, nothing},
    {"8051 lock, four levels", {{3, 11}, kNo, kNo}, nothing, nothing, nothing},
    {"AT89S lock and SPI enable", {{12, 13}, kNo, kNo}, nothing, nothing, nothing},
    {"AT90S lock and fuses", {{14, 15}, kNo, kNo}, nothing, nothing, nothing},
    {"ATtiny11", {{16, 16}, kNo, kNo}, nothing, nothing, nothing},
    {"ATtiny12", {{17, 17}, {19, 19}, kNo}, nothing, nothing, nothing},
    {"ATtiny15", {{18, 18}, {20, 20}, kNo}, nothing, nothing, nothing},
    {"ATtiny28", {{21, 21}, kNo, kNo}, nothing, nothing, nothing},
    {"ATmega8515/8535", {{27, 28}, kNo, kNo}, nothing, nothing, nothing},
    {"W78 configuration", {{29, 31}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC12C508/509", {{46, 47}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC12C671/672", {{48, 49}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16C5x", {{50, 57}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16C505", {{58, 58}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16CE625/C711/C715", {{59, 61}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16C71/C84/F84", {{62, 63}, {68, 68}, kNo}, nothing, nothing, nothing},
    {"PIC12F629/675, PIC16F630/676", {{64, 67}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16F627/628/648A", {{69, 73}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16F72..77", {{74, 78}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16F818/819", {{79, 80}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16F870..877", {{81, 87}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC16F873A..877A", {{88, 91}, kNo, kNo}, nothing, nothing, nothing},
    {"PIC18", {{92, 101}, kNo, kNo}, nothing, nothing, nothing},
};

} // namespace

const FuseLayout* fuseLayoutFor(int deviceIndex) {
    for (const FuseLayout& layout : kLayouts)
        if (inRanges(layout.devices, deviceIndex)) return &layout;
    return nullptr;
}

} // namespace kestro
