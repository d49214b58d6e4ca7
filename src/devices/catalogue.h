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

// The fuse and configuration layout a chip's panel shows (the layouts themselves are
// the fuse panel's).
enum class FuseLayoutId : uint8_t {
    None,
    Lock3, Lock4, At89s, At90s, Tiny11, Tiny12, Tiny15, Tiny28, Mega, W78,
    Pic12c5, Pic12c67, Pic16c5x, Pic16c505, Pic16c62x, Pic16c84, Pic12f6xx, Pic16f62x,
    Pic16f7x, Pic16f81x, Pic16f87x, Pic16f87xa, Pic18,
};

// The instruction set a serial EEPROM's packets carry, named after its first chip.
enum class SerialSet : uint8_t {
    None,
    As93C06, As93C46x8, As93C56x8, As93C56x16, As93C76, // three-wire
    As25C010, As25C160,                                 // SPI, one or two address bytes
};

// How the variant byte of a read signature is matched.
enum class VariantMatch : uint8_t {
    None,    // no signature
    Exactly, // the variant byte must equal `variant`
    Any,     // any variant byte
    Other,   // any variant no other row of the same two bytes names
};
struct SignatureEntry {
    uint8_t manufacturer = 0;
    uint8_t device = 0;
    VariantMatch match = VariantMatch::None;
    uint8_t variant = 0;
};

// The yes/no facts of a chip type, one bit each; DeviceTraits spells them out with
// what follows from the family and the sizes.
namespace chip {
inline constexpr uint32_t Mcu = 1u << 0;             // microcontroller
inline constexpr uint32_t Marker = 1u << 1;          // marker areas apply
inline constexpr uint32_t CfgProm = 1u << 2;         // serial configuration PROM
inline constexpr uint32_t ByteWide = 1u << 3;        // x8 variant of a 16-bit family
inline constexpr uint32_t FuseFile = 1u << 4;        // a binary save writes `.fus`
inline constexpr uint32_t LastWordKept = 1u << 5;    // Verify passes the last program word
inline constexpr uint32_t Handler = 1u << 6;         // a "<item name>Click" handler exists
inline constexpr uint32_t MenuOff = 1u << 7;         // its menu item stays disabled
inline constexpr uint32_t NoSerialAdapter = 1u << 8; // the serial adapter cannot serve it
// With the serial adapter: no signature read (Identify withdrawn), no fuse commands.
inline constexpr uint32_t SerialNoSignature = 1u << 9;
inline constexpr uint32_t SerialNoFuses = 1u << 10;
// Needs the extension socket on both socket variants, or on variant 5 only.
inline constexpr uint32_t ExtSocket = 1u << 11;
inline constexpr uint32_t ExtSocketOn5 = 1u << 12;
} // namespace chip

// The facts only a few chips have; the defaults say "none".
struct ChipQuirks {
    PicCore picCore = PicCore::None;
    int16_t servedThrough = -1; // served through another type's path: withdrawn with it
    int16_t signatureTwin = -1; // answers with the signature of this low-voltage twin
    uint8_t extraErasePackets = 0; // erase packets after the first
    uint16_t extraEraseWaitMs = 0; // and the wait after each of them
    // Program Security with no lock level chosen: the lock list's entry and the mode
    // sent. -1: lock mode 0.
    int8_t strongestLockEntry = -1;
    uint8_t strongestLockMode = 0;
    // Bits of fuse byte 0 that a real chip's Read Fuse delivers in the opposite sense of
    // the programmed bits (the AT89S SPI enable; the AT90S bits 0 and 5). The fuse
    // layouts and the .fus pair assume it; the adapter double answers so.
    uint8_t fuseReadInverted = 0;
    // The fuse bytes of an AVR ELF file come low, high, extended; each goes to this
    // configuration block byte, as the part's fuse layout keeps it, or -1: none.
    int8_t elfFuseSlot[3] = {-1, -1, -1};
    std::string_view itemName{};    // exception to the item-name rule
    std::string_view itemCaption{}; // exception to "the catalogue name"
};

// Everything the program knows about one chip type.
struct CatalogueRow {
    std::string_view name;
    Family family;
    uint32_t programSize;
    uint32_t dataSize;
    uint8_t voltage;
    uint8_t epromClass;
    uint8_t socketPicture;
    DeviceMenu menu;
    // What the Process menu offers, one character per command in ProcessCommand order:
    // '1' enabled, '0' disabled.
    std::string_view offers;
    FuseLayoutId fuseLayout;
    SerialSet serial;
    SignatureEntry signatures[2]; // what a real chip reports
    int16_t firstProbe;           // the probe identification reads with first; -1: none read
    uint32_t flags;               // chip::...
    ChipQuirks quirks;

    constexpr bool is(uint32_t flag) const { return (flags & flag) != 0; }
};

std::span<const CatalogueRow> catalogueRows(); // rows 0..195
// The row of a device index; the unknown row for 196 and for any index outside 0..195.
const CatalogueRow& chipRow(int deviceIndex);

// Family of an index, or nothing when the index names no chip type (196 and up).
std::optional<Family> familyOf(int deviceIndex);

// Applies the row of dev.index to the selected-device fields.
void catalogueLookup(SelectedDevice& dev);

// First index 0..195 whose name equals `name`; nothing when none does.
std::optional<int> findDeviceByName(std::string_view name);

} // namespace kestro
