#include "devices/traits.h"

#include "devices/catalogue.h"

#include <iterator>
#include <utility>

namespace kestro {

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

namespace {

// The traits that are a flag of the row.
constexpr std::pair<bool DeviceTraits::*, uint32_t> kFlagTraits[] = {
    {&DeviceTraits::byteWideVariant, chip::ByteWide},
    {&DeviceTraits::markerArea, chip::Marker},
    {&DeviceTraits::configurationProm, chip::CfgProm},
    {&DeviceTraits::microcontroller, chip::Mcu},
    {&DeviceTraits::fuseFile, chip::FuseFile},
    {&DeviceTraits::serialAdapterWithdraws, chip::NoSerialAdapter},
    {&DeviceTraits::menuAlwaysDisabled, chip::MenuOff},
    {&DeviceTraits::lastWordExempt, chip::LastWordKept},
    {&DeviceTraits::hasHandler, chip::Handler},
};

} // namespace

DeviceTraits traitsOf(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= kDeviceCount) return {};
    const CatalogueRow& row = chipRow(deviceIndex);
    DeviceTraits t{row.quirks};
    for (const auto& [trait, flag] : kFlagTraits) t.*trait = row.is(flag);
    // What the family says: every chip type that is no microcontroller is one memory;
    // the EPROM memories carry their class, the serial EEPROM families their instructions.
    const Family f = row.family;
    t.singleMemory = !t.microcontroller;
    t.sendsEpromClass = f == Family::Eprom16Bit || (f == Family::Eprom8Bit && t.singleMemory);
    t.serialEeprom = f >= Family::ThreeWireEeprom && f <= Family::Sda25xx;
    t.avr = f == Family::At90s || f == Family::Avr;
    t.menu = row.menu;
    return t;
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

bool wordAddressed(int deviceIndex, Family family) {
    if (traitsOf(deviceIndex).byteWideVariant) return false;
    return family == Family::ThreeWireEeprom || family == Family::Eeprom59Cxx ||
           family == Family::Eprom16Bit;
}

} // namespace kestro
