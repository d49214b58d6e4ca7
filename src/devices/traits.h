#pragma once
// devices/ owns what is known about each chip type: the catalogue, these traits,
// the selection rules, the signatures and the serial parameters, and the selected
// device's record.
//
// The catalogue row's flags and quirks spelled out, for the rules outside this folder:
// they read these instead of comparing indexes.

#include "devices/catalogue.h"

#include <cstdint>
#include <string_view>

namespace kestro {

// Caption of a device sub-menu ("AT89xxx", "24xxx"): the family as the menus name it.
// Empty for DeviceMenu::None.
std::string_view deviceMenuCaption(DeviceMenu menu);

struct DeviceTraits : ChipQuirks {
    // 16-bit organised parts whose family code alone would call them word-addressed,
    // but which the adapter addresses byte by byte (the x8 variants).
    bool byteWideVariant = false;
    bool markerArea = false;        // single-memory device with a plain address space
    bool configurationProm = false; // serial configuration PROM: reset polarity
    bool microcontroller = false;   // the socket picture goes away with the timer
    bool singleMemory = false;      // the whole memory is the data size, kept in the program buffer
    bool fuseFile = false;          // a binary save writes the `.fus` side file
    bool sendsEpromClass = false;   // packet byte 12 carries the EPROM class
    bool serialEeprom = false;      // packet bytes 12..15 carry the serial parameters
    bool serialAdapterWithdraws = false; // the reduced serial adapter cannot serve it
    // The menus always keep its item disabled, whatever the adapter serves.
    bool menuAlwaysDisabled = false;
    // Verify passes a difference in the last program word (it holds the oscillator
    // calibration the chip keeps).
    bool lastWordExempt = false;
    bool avr = false; // AVR parts take ELF files in avr-gcc's address spaces
    DeviceMenu menu = DeviceMenu::None; // None: no menu item (a handler may still exist)
    bool hasHandler = false;            // a "<item name>Click" handler exists
};

// Traits of a device index; indexes outside 0..195 get the empty record.
DeviceTraits traitsOf(int deviceIndex);

PicCore picCoreOf(int deviceIndex);
// Mask for the high byte of a program word: 0x0F, 0x3F, 0xFF (0xFF for non-PIC).
uint8_t picHighByteMask(int deviceIndex);
// Value of an erased program word (0x0FFF, 0x3FFF, 0xFFFF).
uint16_t picBlankWord(int deviceIndex);

// The encoders' family: the adapter programs and verifies each block itself
// (Programming + Verify instead of Program).
inline constexpr bool selfVerifyingFamily(Family family) { return family == Family::Encoder; }

// Chips addressed in 16-bit words: packet start addresses are word addresses, and a
// marker area is widened to whole words.
bool wordAddressed(int deviceIndex, Family family);

} // namespace kestro
