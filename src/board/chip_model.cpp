#include "board/chip_model.h"

#include "board/i2c_chip.h"
#include "board/isp_chip.h"
#include "board/microwire_chip.h"
#include "board/spi_chip.h"
#include "devices/catalogue.h"
#include "sim/sim_chip.h"

#include <bit>

namespace kestro::board {

namespace {

// The address field of a three-wire chip in 16-bit organisation, after the
// instruction set the catalogue names for it.
int microwireAddressBits(SerialSet set) {
    switch (set) {
    case SerialSet::As93C06:
    case SerialSet::As93C46x8:
        return 6;
    case SerialSet::As93C56x8:
    case SerialSet::As93C56x16:
        return 8;
    case SerialSet::As93C76:
        return 10;
    default:
        return 0;
    }
}

I2cChipShape eeprom24(uint32_t size) {
    I2cChipShape s;
    s.size = size;
    s.addressBytes = size > 2048 ? 2 : 1;
    s.blockBits = size > 256 && size <= 2048 ? std::countr_zero(size / 256) : 0;
    s.page = size <= 256 ? 8 : size <= 2048 ? 16 : size <= 8192 ? 32 : 64;
    return s;
}

} // namespace

std::unique_ptr<ChipModel> makeChipModel(int device, std::vector<uint8_t>& memory,
                                         std::string& why) {
    const auto family = familyOf(device);
    const CatalogueRow& row = chipRow(device);
    const uint32_t size = row.programSize > 0 ? row.programSize : row.dataSize;
    why.clear();
    if (family && memory.size() == size) {
        switch (*family) {
        case Family::TwoWireEeprom:
            // The configuration PROMs, the X24C00 and the cascadable 24C164 address
            // themselves otherwise.
            if (row.is(chip::CfgProm) || row.name == "X24C00" || row.name == "24C164") break;
            return std::make_unique<I2cChip>(eeprom24(size), memory);
        case Family::Pcf8582: {
            I2cChipShape s;
            s.size = size;
            s.page = 8;
            s.writeTime = 10 * kMillisecond;
            s.minLow = 4700; // 100 kHz
            s.minHigh = 4000;
            return std::make_unique<I2cChip>(s, memory);
        }
        case Family::ThreeWireEeprom:
        case Family::Eeprom59Cxx: {
            MicrowireChipShape s;
            s.size = size;
            s.addressBits16 = microwireAddressBits(row.serial);
            if (*family == Family::Eeprom59Cxx) {
                s.statusOnDo = false;
                s.hasErase = false;
                s.writeTime = 10 * kMillisecond;
            }
            if (s.addressBits16 == 0) break;
            return std::make_unique<MicrowireChip>(s, memory);
        }
        case Family::SpiEeprom: {
            SpiChipShape s;
            s.size = size;
            s.addressBytes = row.serial == SerialSet::As25C160 ? 2 : 1;
            s.page = size <= 512 ? 16 : 32;
            return std::make_unique<SpiChip>(s, memory);
        }
        default:
            break;
        }
    }
    why = "no pin model of " + std::string(row.name) +
          " (the board serves 24Cxx, PCF8582, 93Cxx, "
          "25Cxx and 59Cxx, ATmega8515, AT90S2313, AT89S52 and AT89S8252)";
    return nullptr;
}

std::unique_ptr<ChipModel> makeChipModel(int device, SimChip& chip, std::string& why) {
    IspShape shape;
    if (!ispShapeOf(device, shape)) return makeChipModel(device, chip.memory, why);
    why.clear();
    return std::make_unique<IspChip>(shape, chip);
}

} // namespace kestro::board
