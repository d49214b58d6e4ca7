#include "fuses/fuse_layouts.h"

#include "fuses/layouts.h"

#include "devices/catalogue.h"

#include <iterator>

namespace kestro {
namespace {

// In the order of FuseLayoutId, from Lock3 on.
constexpr FuseLayout kLayouts[] = {
    {"8051 lock, three levels", FuseLayoutId::Lock3, &kLock3Layout},
    {"8051 lock, four levels", FuseLayoutId::Lock4, &kLock4Layout},
    {"AT89S lock and SPI enable", FuseLayoutId::At89s, &kAt89sLayout},
    {"AT90S lock and fuses", FuseLayoutId::At90s, &kAt90sLayout},
    {"ATtiny11", FuseLayoutId::Tiny11, &kTiny11Layout},
    {"ATtiny12", FuseLayoutId::Tiny12, &kTiny12Layout},
    {"ATtiny15", FuseLayoutId::Tiny15, &kTiny15Layout},
    {"ATtiny28", FuseLayoutId::Tiny28, &kTiny28Layout},
    {"ATmega8515/8535", FuseLayoutId::Mega, &kMegaLayout},
    {"W78 configuration", FuseLayoutId::W78, &kW78Layout},
    {"PIC12C508/509", FuseLayoutId::Pic12c5, &kPic12c5Layout},
    {"PIC12C671/672", FuseLayoutId::Pic12c67, &kPic12c67Layout},
    {"PIC16C5x", FuseLayoutId::Pic16c5x, &kPic16c5xLayout},
    {"PIC16C505", FuseLayoutId::Pic16c505, &kPic16c505Layout},
    {"PIC16CE625/C711/C715", FuseLayoutId::Pic16c62x, &kPic16c62xLayout},
    {"PIC16C71/C84/F84", FuseLayoutId::Pic16c84, &kPic16c84Layout},
    {"PIC12F629/675, PIC16F630/676", FuseLayoutId::Pic12f6xx, &kPic12f6xxLayout},
    {"PIC16F627/628/648A", FuseLayoutId::Pic16f62x, &kPic16f62xLayout},
    {"PIC16F72..77", FuseLayoutId::Pic16f7x, &kPic16f7xLayout},
    {"PIC16F818/819", FuseLayoutId::Pic16f81x, &kPic16f81xLayout},
    {"PIC16F870..877", FuseLayoutId::Pic16f87x, &kPic16f87xLayout},
    {"PIC16F873A..877A", FuseLayoutId::Pic16f87xa, &kPic16f87xaLayout},
    {"PIC18", FuseLayoutId::Pic18, &kPic18Layout},
};

constexpr bool inIdOrder() {
    for (size_t k = 0; k < std::size(kLayouts); ++k)
        if (static_cast<size_t>(kLayouts[k].id) != k + 1) return false;
    return std::size(kLayouts) == static_cast<size_t>(FuseLayoutId::Pic18);
}
static_assert(inIdOrder());

} // namespace

const FuseLayout* fuseLayoutFor(int deviceIndex) {
    const FuseLayoutId id = chipRow(deviceIndex).fuseLayout;
    if (id == FuseLayoutId::None) return nullptr;
    return &kLayouts[static_cast<size_t>(id) - 1];
}


} // namespace kestro
