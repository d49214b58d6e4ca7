#pragma once
// devices/ owns what is known about each chip type: the catalogue, these traits,
// the selection rules, the signatures and the serial parameters, and the selected
// device's record.
//
// What the rest of the program needs to know about a chip type beyond its catalogue
// row: one record per device index, built in one place from index ranges. Every
// per-device rule outside this folder reads it instead of comparing indexes.

#include "devices/catalogue.h"

#include <cstdint>
#include <string_view>

namespace kestro {

enum class PicCore : uint8_t { None, Core12, Core14, Pic18 };

// The device sub-menu a chip type's item hangs in, in menu order.
enum class DeviceMenu : uint8_t {
    None,
    AT89xxx, AT90xxx, Winbond, Dallas, Toshiba, N87Cxxx,
    PIC12Cxxx, PIC16Cxxx, PIC12Fxxx, PIC16Fxxx, PIC16F87x, PIC18Fxxx,
    N93xxx, N17xxx, N24xxx, N25xxx, N59xxx, SDA25xx, PCF, TVEEPROM,
    RAMNVRAM, N27xxx87xxx, N28xxx, N29xxx49xxx, EPROM16bit,
    HCS, TCN,
};

// Caption of a device sub-menu ("AT89xxx", "24xxx"): the family as the menus name it.
// Empty for DeviceMenu::None.
std::string_view deviceMenuCaption(DeviceMenu menu);

struct DeviceTraits {
    PicCore picCore = PicCore::None;
    // 16-bit organised parts whose family code alone would call them word-addressed,
    // but which the adapter addresses byte by byte (the x8 variants).
    bool byteWideVariant = false;
    bool markerArea = false;        // single-memory device with a plain address space
    bool configurationProm = false; // serial configuration PROM: reset polarity
    bool microcontroller = false;   // the socket picture goes away with the timer
    bool singleMemory = false;      // the whole memory is the data size, kept in the program buffer
    bool fuseFile = false;          // a binary save writes the `.fus` side file
    bool epromClass = false;        // packet byte 12 carries the EPROM class
    bool serialEeprom = false;      // packet bytes 12..15 carry the serial parameters
    bool serialAdapterWithdraws = false; // the reduced serial adapter cannot serve it
    // A chip served through another type's path: withdrawn with it. -1 for none.
    int16_t servedThrough = -1;
    // A high-voltage variant answers with the signature of this low-voltage twin. -1 for none.
    int16_t signatureTwin = -1;
    // The menus always keep its item disabled, whatever the adapter serves.
    bool menuAlwaysDisabled = false;
    // Verify passes a difference in the last program word (it holds the oscillator
    // calibration the chip keeps).
    bool lastWordExempt = false;
    // Erase packets after the first, and the wait after each of them.
    uint8_t extraErasePackets = 0;
    uint16_t extraEraseWaitMs = 0;
    // Program Security with no lock level chosen takes the strongest one: the lock
    // list's entry and the lock mode sent. -1: the device keeps lock mode 0.
    int8_t strongestLockEntry = -1;
    uint8_t strongestLockMode = 0;
    // Bits of fuse byte 0 that a real chip's Read Fuse delivers in the opposite sense of
    // the programmed bits (the AT89S SPI enable; the AT90S bits 0 and 5). The fuse
    // layouts and the .fus pair assume it; the adapter double answers so.
    uint8_t fuseReadInverted = 0;
    // AVR parts take ELF files in avr-gcc's address spaces. The fuse bytes there come
    // low, high, extended; each goes to this configuration block byte, as the part's
    // fuse layout keeps it, or -1: the part has no such fuse byte.
    bool avr = false;
    int8_t elfFuseSlot[3] = {-1, -1, -1};
    DeviceMenu menu = DeviceMenu::None; // None: no menu item (a handler may still exist)
    bool hasHandler = false;            // a "<item name>Click" handler exists
    std::string_view itemName;          // exception to the item-name rule; empty for none
    std::string_view itemCaption;       // exception to "the catalogue name"; empty for none
};

// Traits of a device index; indexes outside 0..195 get the empty record.
const DeviceTraits& traitsOf(int deviceIndex);

PicCore picCoreOf(int deviceIndex);
// Mask for the high byte of a program word: 0x0F, 0x3F, 0xFF (0xFF for non-PIC).
uint8_t picHighByteMask(int deviceIndex);
// Value of an erased program word (0x0FFF, 0x3FFF, 0xFFFF).
uint16_t picBlankWord(int deviceIndex);

// The encoders' family: the adapter programs and verifies each block itself
// (Programming + Verify instead of Program).
inline constexpr bool selfVerifyingFamily(uint8_t family) { return family == code(Family::Encoder); }

// Chips addressed in 16-bit words: packet start addresses are word addresses, and a
// marker area is widened to whole words.
bool wordAddressed(int deviceIndex, uint8_t family);

} // namespace kestro
