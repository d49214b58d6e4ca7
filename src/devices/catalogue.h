#pragma once
// The fixed table of chip types and the lookup that makes one row current.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestro {

struct SelectedDevice;

inline constexpr int kDeviceCount = 196;   // real chip types, indexes 0..195
inline constexpr int kUnknownDevice = 196; // the catalogue's "unknown" row

// The family codes: devices the adapter programs the same way. The code is the first
// byte of every command packet and the number of the adapter's capability bit.
enum class Family : uint8_t {
    Flash8051Pin20 = 0,  // AT89C1051, 2051, 4051
    Flash8051Pin40 = 1,  // AT89C51 .. AT89S8252
    At90s = 2,           // AT90S1200, AT90S2313
    Avr = 3,             // ATtiny, the larger AT90S and the ATmega
    Eprom87C5x = 4,      // I8751BH .. I87C51RB
    Otp87C5x = 5,        // SC87C51, P87C52, P87C54
    Pic = 6,             // PIC12, PIC16, PIC18
    ThreeWireEeprom = 7, // 93Cxx
    TwoWireEeprom = 8,   // 17Cxx configuration PROMs, 24Cxx
    SpiEeprom = 9,       // 25Cxx
    Eeprom59Cxx = 10,
    Sda25xx = 11,
    Eprom8Bit = 12,      // TMP47P443, 27C16 .. 27C040
    Parallel28xxx = 13,  // 28Cxx, 28Fxxx
    Flash29xxx = 14,     // 29Cxxx, 29Fxxx, 49F040, 29EExxx
    Pcf8582 = 15,
    Nvm3060 = 16,        // NVM3060, MDA2062
    Encoder = 17,        // HCS code-hopping encoders, TCN75
    Eprom16Bit = 18,     // 27C1024 .. 27C4002
    I8748 = 19,          // I8748, I8749
    W78E5x = 20,
    Ds5000 = 21,
    Ram = 22,            // DS1245, 62256
};
inline constexpr uint8_t code(Family f) { return static_cast<uint8_t>(f); }

struct CatalogueRow {
    std::string_view name;
    uint8_t family;        // repeated here for checking; lookup derives it from the ranges
    uint32_t programSize;
    uint32_t dataSize;
    uint8_t voltage;
    uint8_t epromClass;
    uint8_t socketPicture;
};

struct FamilyRange {
    int first;
    int last;
    uint8_t family;
};

std::span<const CatalogueRow> catalogueRows(); // rows 0..195
std::span<const FamilyRange> familyRanges();

// Family code of an index, or nothing when the index is in no range (196 and up).
std::optional<uint8_t> familyOf(int deviceIndex);

// Applies the row of dev.index to the selected-device fields.
void catalogueLookup(SelectedDevice& dev);

// First index 0..195 whose name equals `name`; nothing when none does.
std::optional<int> findDeviceByName(std::string_view name);

} // namespace kestro
