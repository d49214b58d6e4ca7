// The firmware's part table against the program's catalogue: one may not drift from
// the other.

#include "devices/catalogue.h"
#include "devices/selection_rules.h"
#include "devices/serial_parameters.h"
#include "devices/traits.h"

extern "C" {
#include "parts.h"
}

#include <gtest/gtest.h>

#include <set>

namespace kestro {
namespace {

constexpr Family kServed[] = {Family::Flash8051Pin40,  Family::At90s,         Family::Avr,
                              Family::ThreeWireEeprom, Family::TwoWireEeprom, Family::SpiEeprom,
                              Family::Eeprom59Cxx,     Family::Pcf8582};

bool microcontroller(Family f) {
    return f == Family::Flash8051Pin40 || f == Family::At90s || f == Family::Avr;
}

TEST(FirmwareParts, EveryPartOfTheServedFamiliesHasItsRowAndNoOtherHasOne) {
    std::set<int> rows;
    for (uint8_t i = 0; i < fw_part_count; ++i) rows.insert(fw_parts[i].device);
    EXPECT_EQ(rows.size(), fw_part_count) << "a device named twice";
    for (int d = 0; d < kDeviceCount; ++d) {
        const bool served = std::find(std::begin(kServed), std::end(kServed),
                                      chipRow(d).family) != std::end(kServed);
        EXPECT_EQ(rows.count(d) == 1, served) << chipRow(d).name;
    }
}

TEST(FirmwareParts, SizesFamiliesOrganisationAndAddressBytesAreTheCatalogues) {
    for (uint8_t i = 0; i < fw_part_count; ++i) {
        const fw_part& p = fw_parts[i];
        const CatalogueRow& row = chipRow(p.device);
        SCOPED_TRACE(std::string(row.name));
        EXPECT_EQ(p.family, code(row.family));
        const bool mcu = microcontroller(row.family);
        EXPECT_EQ(p.size, mcu ? row.programSize : row.dataSize);
        EXPECT_EQ(p.data, (p.flags & PART_MCU) ? row.dataSize : 0u);
        EXPECT_EQ((p.flags & PART_MCU) != 0, mcu && p.bus != BUS_NONE);
        EXPECT_EQ((p.flags & PART_WORDS) != 0, wordAddressed(p.device, row.family));
        fw_part found{};
        ASSERT_TRUE(fw_find_part(p.device, &found));
        EXPECT_EQ(found.size, p.size);
        switch (p.bus) {
        case BUS_SPI: // the program marks the parts with two address bytes in byte 15
            EXPECT_EQ((p.flags & PART_ADDR2) != 0,
                      serialParameters(p.device, SerialAccess::ReadData).d == 0xFF);
            break;
        case BUS_I2C: // one address byte and up to three block bits: 2 KiB at most
            EXPECT_EQ((p.flags & PART_ADDR2) != 0, p.size > 2048);
            break;
        case BUS_MICROWIRE: EXPECT_EQ(row.serial == SerialSet::None, false); break;
        case BUS_AVR:
        case BUS_AT89: {
            // Fuse commands where the Process menu offers them, and only there.
            const bool fuses = row.offers[static_cast<size_t>(ProcessCommand::ProgramFuse)] == '1';
            EXPECT_EQ(p.fuse != FUSE_NONE, fuses);
            EXPECT_EQ(p.bus == BUS_AVR, row.family != Family::Flash8051Pin40);
            if (!(p.flags & PART_PAGED)) continue;
            break;
        }
        default: EXPECT_EQ(p.bus, BUS_NONE); continue;
        }
        if (p.bus != BUS_MICROWIRE) {
            // Writes go a page at a time and must never cross a page's end.
            EXPECT_GT(p.page, 0);
            EXPECT_EQ(p.page & (p.page - 1), 0) << "not a power of two";
            EXPECT_EQ(p.size % p.page, 0u);
        }
    }
}

// The parts of the microcontroller families that want 12 V or a parallel programmer.
TEST(FirmwareParts, OnlyTheInSystemProgrammablePartsAreServed) {
    std::set<std::string_view> refused;
    for (uint8_t i = 0; i < fw_part_count; ++i)
        if (fw_parts[i].bus == BUS_NONE && microcontroller(chipRow(fw_parts[i].device).family))
            refused.insert(chipRow(fw_parts[i].device).name);
    EXPECT_EQ(refused, (std::set<std::string_view>{"AT89C51", "AT89C51RC", "AT89LV52", "AT89C52",
                                                   "TS87C52X2", "AT89C55", "AT89C55WD", "ATTINY11",
                                                   "ATTINY12HV", "ATTINY15HV", "ATTINY28"}));
}

} // namespace
} // namespace kestro
