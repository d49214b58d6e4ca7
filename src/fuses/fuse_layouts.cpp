#include "fuses/fuse_layouts.h"

#include "fuses/layouts.h"

namespace kestro {
namespace {

// The one place that says which devices use which layout.
constexpr FuseLayout kLayouts[] = {
    {"8051 lock, three levels", fuse_groups::kLock3Devices, &kLock3Layout},
    {"8051 lock, four levels", fuse_groups::kLock4Devices, &kLock4Layout},
    {"AT89S lock and SPI enable", fuse_groups::kAt89sDevices, &kAt89sLayout},
    {"AT90S lock and fuses", fuse_groups::kAt90sDevices, &kAt90sLayout},
    {"ATtiny11", fuse_groups::kTiny11Devices, &kTiny11Layout},
    {"ATtiny12", fuse_groups::kTiny12Devices, &kTiny12Layout},
    {"ATtiny15", fuse_groups::kTiny15Devices, &kTiny15Layout},
    {"ATtiny28", fuse_groups::kTiny28Devices, &kTiny28Layout},
    {"ATmega8515/8535", fuse_groups::kMegaDevices, &kMegaLayout},
    {"W78 configuration", fuse_groups::kW78Devices, &kW78Layout},
    {"PIC12C508/509", fuse_groups::kPic12c5Devices, &kPic12c5Layout},
    {"PIC12C671/672", fuse_groups::kPic12c67Devices, &kPic12c67Layout},
    {"PIC16C5x", fuse_groups::kPic16c5xDevices, &kPic16c5xLayout},
    {"PIC16C505", fuse_groups::kPic16c505Devices, &kPic16c505Layout},
    {"PIC16CE625/C711/C715", fuse_groups::kPic16c62xDevices, &kPic16c62xLayout},
    {"PIC16C71/C84/F84", fuse_groups::kPic16c84Devices, &kPic16c84Layout},
    {"PIC12F629/675, PIC16F630/676", fuse_groups::kPic12f6xxDevices, &kPic12f6xxLayout},
    {"PIC16F627/628/648A", fuse_groups::kPic16f62xDevices, &kPic16f62xLayout},
    {"PIC16F72..77", fuse_groups::kPic16f7xDevices, &kPic16f7xLayout},
    {"PIC16F818/819", fuse_groups::kPic16f81xDevices, &kPic16f81xLayout},
    {"PIC16F870..877", fuse_groups::kPic16f87xDevices, &kPic16f87xLayout},
    {"PIC16F873A..877A", fuse_groups::kPic16f87xaDevices, &kPic16f87xaLayout},
    {"PIC18", fuse_groups::kPic18Devices, &kPic18Layout},
};


} // namespace

const FuseLayout* fuseLayoutFor(int deviceIndex) {
    for (const FuseLayout& layout : kLayouts)
        if (layout.devices.contains(deviceIndex)) return &layout;
    return nullptr;
}

std::span<const FuseLayout> fuseLayouts() { return kLayouts; }


} // namespace kestro
