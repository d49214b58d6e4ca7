#include "fuses/fuse_layouts.h"

#include "devices/index_ranges.h"
#include "fuses/layouts.h"

namespace kestro {
namespace {

constexpr IndexRange kNo = kNoRange;

// The one place that says which devices use which layout.
constexpr FuseLayout kLayouts[] = {
    {"8051 lock, three levels", {{0, 2}, {22, 22}, {25, 25}}, &kLock3Layout},
    {"8051 lock, four levels", {{3, 11}, kNo, kNo}, &kLock4Layout},
    {"AT89S lock and SPI enable", {{12, 13}, kNo, kNo}, &kAt89sLayout},
    {"AT90S lock and fuses", {{14, 15}, kNo, kNo}, &kAt90sLayout},
    {"ATtiny11", {{16, 16}, kNo, kNo}, &kTiny11Layout},
    {"ATtiny12", {{17, 17}, {19, 19}, kNo}, &kTiny12Layout},
    {"ATtiny15", {{18, 18}, {20, 20}, kNo}, &kTiny15Layout},
    {"ATtiny28", {{21, 21}, kNo, kNo}, &kTiny28Layout},
    {"ATmega8515/8535", {{27, 28}, kNo, kNo}, &kMegaLayout},
    {"W78 configuration", {{29, 31}, kNo, kNo}, &kW78Layout},
    {"PIC12C508/509", {{46, 47}, kNo, kNo}, &kPic12c5Layout},
    {"PIC12C671/672", {{48, 49}, kNo, kNo}, &kPic12c67Layout},
    {"PIC16C5x", {{50, 57}, kNo, kNo}, &kPic16c5xLayout},
    {"PIC16C505", {{58, 58}, kNo, kNo}, &kPic16c505Layout},
    {"PIC16CE625/C711/C715", {{59, 61}, kNo, kNo}, &kPic16c62xLayout},
    {"PIC16C71/C84/F84", {{62, 63}, {68, 68}, kNo}, &kPic16c84Layout},
    {"PIC12F629/675, PIC16F630/676", {{64, 67}, kNo, kNo}, &kPic12f6xxLayout},
    {"PIC16F627/628/648A", {{69, 73}, kNo, kNo}, &kPic16f62xLayout},
    {"PIC16F72..77", {{74, 78}, kNo, kNo}, &kPic16f7xLayout},
    {"PIC16F818/819", {{79, 80}, kNo, kNo}, &kPic16f81xLayout},
    {"PIC16F870..877", {{81, 87}, kNo, kNo}, &kPic16f87xLayout},
    {"PIC16F873A..877A", {{88, 91}, kNo, kNo}, &kPic16f87xaLayout},
    {"PIC18", {{92, 101}, kNo, kNo}, &kPic18Layout},
};


} // namespace

const FuseLayout* fuseLayoutFor(int deviceIndex) {
    for (const FuseLayout& layout : kLayouts)
        if (inRanges(layout.devices, deviceIndex)) return &layout;
    return nullptr;
}

std::span<const FuseLayout> fuseLayouts() { return kLayouts; }


} // namespace kestro
