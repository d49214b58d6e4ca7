// Lock, fuse and configuration layouts of the 8051-family and AVR devices.
//
// Two polarities meet here. The fill reads the bytes as Read Fuse and the .fus side
// file deliver them; the read-back writes the configuration block as Program Fuse
// sends it and the fuse file pair as the side file keeps it. For AT89S and AT90S the
// two forms of a bit are opposite, so their bytes come from named rules; for ATtiny
// and ATmega they are equal and the table alone says it all.

#include "fuses/layouts.h"

namespace kestro {
namespace {

using namespace fuse_groups;

constexpr std::string_view kLockItems[] = {
    "Unprogrammed", "Program disable", "Program, Read disable", "Program, Read, ext PS disable"};
constexpr Items kLock3 = Items(kLockItems).first(3);
constexpr Items kLock4 = kLockItems;

constexpr int kWide = 230;
constexpr bool kSmallFont = true, kWindowFont = false; // the 8051 and AT90S lists are small

// The lock list in GroupBox4; the read-back turns its selection into the lock mode.
constexpr ListRow lockList(Items items, ListFill fill, bool smallFont,
                           std::array<Target, 4> bits = {},
                           std::span<const Pattern> patterns = {}) {
    return {kEveryDevice, 0, 0, items, kWide, fill, bits, patterns, true, smallFont};
}

constexpr GroupRow kLockGroup[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55}};

// ---- 8051 lock lists: always shown unprogrammed ----

constexpr ListRow kLock3List[] = {lockList(kLock3, ListFill::First, kSmallFont)};
constexpr ListRow kLock4List[] = {lockList(kLock4, ListFill::First, kSmallFont)};

// ---- AT89S53, AT89S8252 ----

// Byte 0 bits 7, 6, 5.
constexpr Pattern kAt89sLocks[] = {{0b111, 0}, {0b011, 1}, {0b001, 2}, {0b000, 3}};
constexpr GroupRow kAt89sGroups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                     {kEveryDevice, 1, "Fuse Bit:", 110, 45}};
constexpr ListRow kAt89sList[] = {
    lockList(kLock4, ListFill::Pattern, kSmallFont, {bit(5), bit(6), bit(7)}, kAt89sLocks)};
constexpr BoxRow kAt89sBoxes[] = {{kEveryDevice, "SPI enable", bit(0)}};

// The chip takes SPI enable active low; the side file keeps it as Read Fuse shows it.
void at89sBytes(int, const FuseValues& v, FuseBytes& b) {
    const bool spi = v.box[0];
    b.config[0] = spi ? 0xFE : 0xFF;
    b.filePair[0] = spi ? 0xFF : 0xFE;
    b.filePair[1] = 0xFF;
}

// ---- AT90S1200, AT90S2313 ----

// Byte 0 bits 7, 6.
constexpr Pattern kAt90sLocks[] = {{0b11, 0}, {0b01, 1}, {0b00, 2}};
constexpr GroupRow kAt90sGroups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                     {kEveryDevice, 1, "Fuse Bits:", 110, 65}};
constexpr ListRow kAt90sList[] = {
    lockList(kLock3, ListFill::Pattern, kSmallFont, {bit(6), bit(7)}, kAt90sLocks)};
constexpr BoxRow kAt90sBoxes[] = {
    {k1200, "Internal RC osc. enable", bit(0)},
    {k2313, "Start up timer 16ms / 1ms", bit(0)},
    {kEveryDevice, "SPI enable", bit(5)},
};

// As for AT89S: the chip's bits 0 and 5 are the opposite of what the boxes show.
void at90sBytes(int, const FuseValues& v, FuseBytes& b) {
    const bool first = v.box[0], second = v.box[1];
    b.config[0] = static_cast<uint8_t>(0xDE + (first ? 0 : 1) + (second ? 0 : 0x20));
    b.filePair[0] = static_cast<uint8_t>(0xDE + (first ? 1 : 0) + (second ? 0x20 : 0));
    b.filePair[1] = 0xFF;
}

// ---- ATtiny11, 12, 15, 28: the lock list and byte 0 through the bit view ----

// Lock bit 1 and lock bit 2 are byte 1 bits 1 and 2 (bit view 9 and 10), the
// patterns read as LB1 LB2. The read-back leaves byte 1 at 0.
constexpr Pattern kTinyLocks[] = {{0b11, 0}, {0b01, 1}, {0b00, 2}};
constexpr ListRow kTinyList[] = {
    lockList(kLock3, ListFill::Pattern, kWindowFont, {bit(10), bit(9)}, kTinyLocks)};

void tinyFilePair(int, const FuseValues&, FuseBytes& b) {
    b.filePair[0] = b.config[0];
    b.filePair[1] = 0xFF;
}

constexpr GroupRow kTiny11Groups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                      {kEveryDevice, 1, "Fuse Bits:", 110, 120}};
constexpr BoxRow kTiny11Boxes[] = {
    {kEveryDevice, "Clock Select 0", bit(0)}, {kEveryDevice, "Clock Select 1", bit(1)},
    {kEveryDevice, "Clock Select 2", bit(2)}, {kEveryDevice, "Reset Disable", inv(3)},
    {kEveryDevice, "Fast Start", inv(4)},
};
constexpr AfterRow kTiny11After[] = {{kEveryDevice, bitRange(5, 7), kZeros},
                                     {kEveryDevice, bitRange(8, 15), kZeros}};

constexpr GroupRow kTiny12Groups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                      {kEveryDevice, 1, "Fuse Bits:", 110, 180}};
constexpr BoxRow kTiny12Boxes[] = {
    {kEveryDevice, "Clock Select 0", bit(0)}, {kEveryDevice, "Clock Select 1", bit(1)},
    {kEveryDevice, "Clock Select 2", bit(2)}, {kEveryDevice, "Clock Select 3", bit(3)},
    {kEveryDevice, "Reset Disable", inv(4)},  {kEveryDevice, "SPI Enable", inv(5)},
    {kEveryDevice, "BOD Enable", inv(6)},     {kEveryDevice, "BOD level 2.7V/1.8V", bit(7)},
};
constexpr AfterRow kTiny12After[] = {{kEveryDevice, bitRange(8, 15), kZeros}};

constexpr GroupRow kTiny15Groups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                      {kEveryDevice, 1, "Fuse Bits:", 110, 140}};
constexpr BoxRow kTiny15Boxes[] = {
    {kEveryDevice, "Clock Select 0", bit(0)}, {kEveryDevice, "Clock Select 1", bit(1)},
    {kEveryDevice, "Reset Disable", inv(4)},  {kEveryDevice, "SPI Enable", inv(5)},
    {kEveryDevice, "BOD Enable", inv(6)},     {kEveryDevice, "BOD level 4.0/2.7V", bit(7)},
};
constexpr AfterRow kTiny15After[] = {{kEveryDevice, bitSet({2, 3}), kOnes},
                                     {kEveryDevice, bitRange(8, 15), kZeros}};

constexpr GroupRow kTiny28Groups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 55},
                                      {kEveryDevice, 1, "Fuse Bits:", 110, 120}};
constexpr BoxRow kTiny28Boxes[] = {
    {kEveryDevice, "Clock Select 0", bit(0)},     {kEveryDevice, "Clock Select 1", bit(1)},
    {kEveryDevice, "Clock Select 2", bit(2)},     {kEveryDevice, "Clock Select 3", bit(3)},
    {kEveryDevice, "Internal Capacitor", inv(4)},
};
constexpr AfterRow kTiny28After[] = {{kEveryDevice, bitRange(5, 7), kOnes},
                                     {kEveryDevice, bitRange(8, 15), kZeros}};

constexpr LayoutDesc tinyLayout(std::span<const GroupRow> groups, std::span<const BoxRow> boxes,
                                std::span<const AfterRow> after) {
    return {.groups = groups,
            .lists = kTinyList,
            .boxGroup = 1,
            .boxes = boxes,
            .after = after,
            .storesWord = true,
            .rule = tinyFilePair};
}

// ---- ATmega8515, ATmega8535: three check-box lists ----

constexpr GroupRow kMegaGroups[] = {{kEveryDevice, 0, "Lock Bits:", 50, 110},
                                    {kEveryDevice, 1, "FuseH Bits:", 165, 135},
                                    {kEveryDevice, 2, "FuseL Bits:", 305, 135}};
constexpr CheckListRow kMegaLists[] = {{0, 0, 85}, {1, 1, 110}, {2, 2, 110}};
constexpr ItemRow kMegaItems[] = {
    // Lock bits: never filled; a checked item is a 1 in the lock mode.
    {kEveryDevice, 0, "LB1", lockBit(1)},
    {kEveryDevice, 0, "LB2", lockBit(2)},
    {kEveryDevice, 0, "BLB01", lockBit(4)},
    {kEveryDevice, 0, "BLB02", lockBit(8)},
    {kEveryDevice, 0, "BLB11", lockBit(16)},
    {kEveryDevice, 0, "BLB12", lockBit(32)},
    // High fuse byte: configuration byte 1.
    {kEveryDevice, 1, "Boot Reset", bit(8)},
    {kEveryDevice, 1, "Boot Size0", bit(9)},
    {kEveryDevice, 1, "Boot Size1", bit(10)},
    {kEveryDevice, 1, "EEPROM SAVE", inv(11)},
    {kEveryDevice, 1, "Clock Optimalize", bit(12)},
    {kEveryDevice, 1, "SPI Enable", inv(13)},
    {kEveryDevice, 1, "WDT Enable", inv(14)},
    {kEveryDevice, 1, "90S8515 Compatible", inv(15)},
    // Low fuse byte: configuration byte 0.
    {kEveryDevice, 2, "Clock Select 0", bit(0)},
    {kEveryDevice, 2, "Clock Select 1", bit(1)},
    {kEveryDevice, 2, "Clock Select 2", bit(2)},
    {kEveryDevice, 2, "Clock Select 3", bit(3)},
    {kEveryDevice, 2, "Start Up Timer 0", bit(4)},
    {kEveryDevice, 2, "Start Up Timer1", bit(5)},
    {kEveryDevice, 2, "BOD Enable", inv(6)},
    {kEveryDevice, 2, "BOD Level 4.0V/2.7V", bit(7)},
};

void megaFilePair(int, const FuseValues&, FuseBytes& b) {
    b.filePair[0] = b.config[0];
    b.filePair[1] = b.config[1];
}

// ---- W78LE51/52/54: four check boxes that only make the lock mode ----

constexpr GroupRow kW78Groups[] = {{kEveryDevice, 0, "Config:", 50, 100}};
constexpr BoxRow kW78Boxes[] = {
    {kEveryDevice, "Lock bit enable", lockBit(0x80)},
    {kEveryDevice, "MOVC Inhibit", lockBit(4)},
    {kEveryDevice, "Encryption", lockBit(2)},
    {kEveryDevice, "Oscillator control", lockBit(1)},
};

} // namespace

constexpr LayoutDesc kLock3Layout{.groups = kLockGroup, .lists = kLock3List};
constexpr LayoutDesc kLock4Layout{.groups = kLockGroup, .lists = kLock4List};
constexpr LayoutDesc kAt89sLayout{.groups = kAt89sGroups,
                                  .lists = kAt89sList,
                                  .boxGroup = 1,
                                  .boxes = kAt89sBoxes,
                                  .rule = at89sBytes};
constexpr LayoutDesc kAt90sLayout{.groups = kAt90sGroups,
                                  .lists = kAt90sList,
                                  .boxGroup = 1,
                                  .boxes = kAt90sBoxes,
                                  .rule = at90sBytes};
constexpr LayoutDesc kTiny11Layout = tinyLayout(kTiny11Groups, kTiny11Boxes, kTiny11After);
constexpr LayoutDesc kTiny12Layout = tinyLayout(kTiny12Groups, kTiny12Boxes, kTiny12After);
constexpr LayoutDesc kTiny15Layout = tinyLayout(kTiny15Groups, kTiny15Boxes, kTiny15After);
constexpr LayoutDesc kTiny28Layout = tinyLayout(kTiny28Groups, kTiny28Boxes, kTiny28After);
constexpr LayoutDesc kMegaLayout{.groups = kMegaGroups,
                                 .checkLists = kMegaLists,
                                 .items = kMegaItems,
                                 .storesWord = true,
                                 .lockBase = 0xC0,
                                 .rule = megaFilePair};
constexpr LayoutDesc kW78Layout{
    .groups = kW78Groups, .boxGroup = 0, .boxes = kW78Boxes, .fillClearsLock = true};

} // namespace kestro
