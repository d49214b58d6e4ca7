#include "devices/traits.h"

#include "devices/catalogue.h"

#include <array>

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

DeviceTraits traitsOf(int deviceIndex) {
    if (deviceIndex < 0 || deviceIndex >= kDeviceCount) return {};
    const CatalogueRow& row = chipRow(deviceIndex);
    DeviceTraits t{row.quirks};
    t.byteWideVariant = row.is(chip::ByteWide);
    t.markerArea = row.is(chip::Marker);
    t.configurationProm = row.is(chip::CfgProm);
    t.microcontroller = row.is(chip::Mcu);
    t.singleMemory = row.is(chip::Mem);
    t.fuseFile = row.is(chip::FuseFile);
    t.epromClass = row.is(chip::ClassByte);
    t.serialEeprom = row.is(chip::SerialEe);
    t.serialAdapterWithdraws = row.is(chip::NoSerialAdapter);
    t.menuAlwaysDisabled = row.is(chip::MenuOff);
    t.lastWordExempt = row.is(chip::LastWordKept);
    t.avr = row.is(chip::Avr);
    t.menu = row.menu;
    t.hasHandler = row.is(chip::Handler);
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
