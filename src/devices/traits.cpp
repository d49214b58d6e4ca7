#include "devices/traits.h"

#include "devices/catalogue.h"
#include "devices/index_ranges.h"

#include <array>
#include <initializer_list>

namespace kestro {
namespace {

using Traits = std::array<DeviceTraits, kDeviceCount>;

template <class Set>
constexpr void forRanges(Traits& t, std::initializer_list<IndexRange> ranges, Set set) {
    for (IndexRange r : ranges)
        for (int i = r.first; i <= r.last; ++i) set(t[static_cast<size_t>(i)]);
}

struct MenuRange {
    DeviceMenu menu;
    IndexRange ranges[3];
};

// Device sub-menus and the indexes whose items they hold, in menu order.
constexpr MenuRange kMenus[] = {
    {DeviceMenu::AT89xxx, {{0, 13}, kNoRange, kNoRange}},
    {DeviceMenu::AT90xxx, {{14, 22}, {25, 25}, {27, 28}}},
    {DeviceMenu::Winbond, {{29, 31}, kNoRange, kNoRange}},
    {DeviceMenu::Dallas, {{32, 32}, kNoRange, kNoRange}},
    {DeviceMenu::Toshiba, {{33, 33}, kNoRange, kNoRange}},
    {DeviceMenu::N87Cxxx, {{34, 35}, kNoRange, kNoRange}},
    {DeviceMenu::PIC12Cxxx, {{46, 49}, kNoRange, kNoRange}},
    {DeviceMenu::PIC16Cxxx, {{50, 63}, kNoRange, kNoRange}},
    {DeviceMenu::PIC12Fxxx, {{64, 67}, kNoRange, kNoRange}},
    {DeviceMenu::PIC16Fxxx, {{68, 80}, kNoRange, kNoRange}},
    {DeviceMenu::PIC16F87x, {{81, 91}, kNoRange, kNoRange}},
    {DeviceMenu::PIC18Fxxx, {{92, 101}, kNoRange, kNoRange}},
    {DeviceMenu::N93xxx, {{102, 112}, kNoRange, kNoRange}},
    {DeviceMenu::N17xxx, {{113, 118}, kNoRange, kNoRange}},
    {DeviceMenu::N24xxx, {{119, 129}, kNoRange, kNoRange}},
    {DeviceMenu::N25xxx, {{130, 135}, kNoRange, kNoRange}},
    {DeviceMenu::N59xxx, {{136, 138}, kNoRange, kNoRange}},
    {DeviceMenu::SDA25xx, {{139, 143}, kNoRange, kNoRange}},
    {DeviceMenu::PCF, {{144, 144}, kNoRange, kNoRange}},
    {DeviceMenu::TVEEPROM, {{145, 146}, kNoRange, kNoRange}},
    {DeviceMenu::RAMNVRAM, {{147, 148}, kNoRange, kNoRange}},
    {DeviceMenu::N27xxx87xxx, {{149, 163}, kNoRange, kNoRange}},
    {DeviceMenu::N28xxx, {{164, 169}, kNoRange, kNoRange}},
    {DeviceMenu::N29xxx49xxx, {{170, 176}, kNoRange, kNoRange}},
    {DeviceMenu::EPROM16bit, {{177, 184}, kNoRange, kNoRange}},
    {DeviceMenu::HCS, {{185, 194}, kNoRange, kNoRange}},
    {DeviceMenu::TCN, {{195, 195}, kNoRange, kNoRange}},
};

struct NamedItem {
    int index;
    std::string_view name;
};
// Item names that do not follow the rule (the caption's letters and digits, 'N' before
// a leading digit, '1' after).
constexpr NamedItem kItemNames[] = {
    {62, "PIC16C71N"}, {113, "N17LV641"}, {114, "N17C641"}, {170, "N29C0101"},
};

constexpr Traits buildTraits() {
    Traits t{};
    forRanges(t, {{46, 47}, {50, 58}}, [](DeviceTraits& d) { d.picCore = PicCore::Core12; });
    forRanges(t, {{48, 49}, {59, 91}}, [](DeviceTraits& d) { d.picCore = PicCore::Core14; });
    forRanges(t, {{92, 101}}, [](DeviceTraits& d) { d.picCore = PicCore::Pic18; });
    forRanges(t, {{103, 103}, {106, 106}}, [](DeviceTraits& d) { d.byteWideVariant = true; });
    forRanges(t, {{102, 184}}, [](DeviceTraits& d) { d.markerArea = true; });
    forRanges(t, {{113, 118}}, [](DeviceTraits& d) { d.configurationProm = true; });
    forRanges(t, {{0, 101}}, [](DeviceTraits& d) { d.microcontroller = true; });
    forRanges(t, {{102, 195}}, [](DeviceTraits& d) { d.singleMemory = true; });
    forRanges(t, {{12, 21}, {27, 28}}, [](DeviceTraits& d) { d.fuseFile = true; });
    forRanges(t, {{149, 163}, {177, 184}}, [](DeviceTraits& d) { d.epromClass = true; });
    forRanges(t, {{102, 143}}, [](DeviceTraits& d) { d.serialEeprom = true; });
    forRanges(t, {{0, 9}, {16, 16}, {21, 21}, {32, 45}, {50, 57}, {102, 195}},
              [](DeviceTraits& d) { d.serialAdapterWithdraws = true; });
    // The SDA25xx go through the 24C02's path, the 59Cxx through the 93C46 x16's.
    forRanges(t, {{139, 143}}, [](DeviceTraits& d) { d.servedThrough = 121; });
    forRanges(t, {{136, 138}}, [](DeviceTraits& d) { d.servedThrough = 104; });
    // ATTINY12HV and ATTINY15HV report the signatures of ATTINY12 and ATTINY15.
    t[19].signatureTwin = 17;
    t[20].signatureTwin = 18;
    forRanges(t, {{46, 49}}, [](DeviceTraits& d) { d.lastWordExempt = true; });
    // AT89C51RC and AT89C55WD take a second erase packet at once; the 28F010 erases in
    // nine steps of a second each.
    forRanges(t, {{4, 4}, {9, 9}}, [](DeviceTraits& d) { d.extraErasePackets = 1; });
    t[168].extraErasePackets = 8;
    t[168].extraEraseWaitMs = 1000;
    forRanges(t, {{0, 2}, {14, 25}}, [](DeviceTraits& d) {
        d.strongestLockEntry = 2;
        d.strongestLockMode = 3;
    });
    forRanges(t, {{3, 13}}, [](DeviceTraits& d) {
        d.strongestLockEntry = 3;
        d.strongestLockMode = 7;
    });
    forRanges(t, {{12, 13}}, [](DeviceTraits& d) { d.fuseReadInverted = 0x01; });
    forRanges(t, {{14, 15}}, [](DeviceTraits& d) { d.fuseReadInverted = 0x21; });
    // AT90S, ATtiny and ATmega. The ATtinys' one fuse byte is configuration block byte 0;
    // the ATmegas keep the low fuse in byte 0 and the high fuse in byte 1.
    forRanges(t, {{14, 28}}, [](DeviceTraits& d) { d.avr = true; });
    forRanges(t, {{16, 21}, {27, 28}}, [](DeviceTraits& d) { d.elfFuseSlot[0] = 0; });
    forRanges(t, {{27, 28}}, [](DeviceTraits& d) { d.elfFuseSlot[1] = 1; });
    // AT89C51RC1 and the four 128/256 Kbit configuration PROMs.
    forRanges(t, {{4, 4}, {115, 118}}, [](DeviceTraits& d) { d.menuAlwaysDisabled = true; });
    forRanges(t, {{0, 35}, {46, 195}}, [](DeviceTraits& d) { d.hasHandler = true; });
    for (const MenuRange& m : kMenus)
        for (IndexRange r : m.ranges)
            for (int i = r.first; r.first >= 0 && i <= r.last; ++i) t[static_cast<size_t>(i)].menu = m.menu;
    for (const NamedItem& n : kItemNames) t[static_cast<size_t>(n.index)].itemName = n.name;
    t[170].itemCaption = "29C010A";
    return t;
}

constexpr Traits kTraits = buildTraits();
constexpr DeviceTraits kNone{};

} // namespace

std::string_view deviceMenuCaption(DeviceMenu menu) {
    // In the order of DeviceMenu.
    static constexpr std::string_view kCaptions[] = {
        "", "AT89xxx", "AT90xxx", "Winbond", "Dallas", "Toshiba", "87Cxxx",
        "PIC12Cxxx", "PIC16Cxxx", "PIC12Fxxx", "PIC16Fxxx", "PIC16F87x", "PIC18Fxxx",
        "93xxx", "17xxx", "24xxx", "25xxx", "59xxx", "SDA25xx", "PCF", "TV EEPROM",
        "RAM / NVRAM", "27xxx / 87xxx", "28xxx", "29xxx / 49xxx", "EPROM 16bit",
        "HCS", "TCN"};
    static_assert(std::size(kCaptions) == static_cast<size_t>(DeviceMenu::TCN) + 1);
    return kCaptions[static_cast<size_t>(menu)];
}

const DeviceTraits& traitsOf(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= kDeviceCount) return kNone;
    return kTraits[static_cast<size_t>(deviceIndex)];
}

PicCore picCoreOf(int deviceIndex) { return traitsOf(deviceIndex).picCore; }

uint8_t picHighByteMask(int deviceIndex) {
    switch (picCoreOf(deviceIndex)) {
    case PicCore::Core12: return 0x0F;
    case PicCore::Core14: return 0x3F;
    default: return 0xFF;
    }
}

uint16_t picBlankWord(int deviceIndex) {
    return static_cast<uint16_t>(picHighByteMask(deviceIndex) << 8 | 0xFF);
}

bool wordAddressed(int deviceIndex, uint8_t family) {
    if (traitsOf(deviceIndex).byteWideVariant) return false;
    return family == code(Family::ThreeWireEeprom) || family == code(Family::Eeprom59Cxx) ||
           family == code(Family::Eprom16Bit);
}

} // namespace kestro
