#include "buffers/elf_file.h"
#include "buffers/elf_builder.h"
#include "buffers/file_commands.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestro {
namespace {

using namespace chips;

using test::Bytes;
using test::ElfPiece;
using test::makeElf;
using test::slice;

struct ElfLoad : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();

    LoadReport report;

    std::string load(const Bytes& file, int device) {
        img->program.fill(0xA5), img->data.fill(0xA5), img->idBlock.fill(0xA5), img->configBlock.fill(0xA5);
        return loadElf(file, *img, test::deviceAt(device), &report);
    }
    // A refused file leaves every image as it was.
    void expectRefused(const Bytes& file, int device, const std::string& message) {
        EXPECT_EQ(load(file, device), message);
        const auto untouched = [](const auto& a) {
            return std::all_of(a.begin(), a.end(), [](uint8_t v) { return v == 0xA5; });
        };
        EXPECT_TRUE(untouched(img->program) && untouched(img->data) && untouched(img->idBlock) &&
                    untouched(img->configBlock));
    }
};

TEST_F(ElfLoad, AvrAddressSpaces) {
    const Bytes text = test::pattern(0x74, 1), data = {0x03, 0x00}, eeprom = test::pattern(47, 2);
    const std::vector<ElfPiece> good = {{".text", 0, text},
                                        {".data", 0x74, data}, // the load image behind .text
                                        {".eeprom", 0x810000, eeprom},
                                        {".fuse", 0x820000, {0xE4, 0xD9}},
                                        {".lock", 0x830000, {0xFC}},
                                        {".signature", 0x840000, {0x06, 0x93, 0x1E}}};
    ASSERT_EQ(load(makeElf(EM_AVR, good), kAtmega8515), "");
    EXPECT_EQ(slice(img->program, 0, 0x74), text);
    EXPECT_EQ(slice(img->program, 0x74, 0x76), data);
    EXPECT_TRUE(test::erased(img->program, 0x76));
    EXPECT_EQ(slice(img->data, 0, 47), eeprom);
    EXPECT_TRUE(test::erased(img->data, 47));
    // Low fuse to configuration block byte 0, high fuse to byte 1; the lock is the
    // fuse panel's choice, the signature only checked.
    EXPECT_EQ(slice(img->configBlock, 0, 3), (Bytes{0xE4, 0xD9, 0xFF}));
    EXPECT_TRUE(test::erased(img->idBlock));

    // An ATtiny's one fuse byte; the part has no high fuse.
    ASSERT_EQ(load(makeElf(EM_AVR, {{".fuse", 0x820000, {0x52}}}), chips::kAttiny11), "");
    EXPECT_EQ(img->configBlock[0], 0x52);
    expectRefused(makeElf(EM_AVR, {{".fuse", 0x820000, {0x52, 0xFF}}}), chips::kAttiny11,
                  "Section .fuse at 0x820001 lies outside the memories of the ATTINY11");

    const struct {
        ElfPiece piece;
        const char* message;
    } outside[] = {
        {{".text", 0x1FFE, {1, 2, 3}}, "Section .text at 0x002000 lies outside the memories of the ATMEGA8515"},
        {{".eeprom", 0x8101FF, {1, 2}}, "Section .eeprom at 0x810200 lies outside the memories of the ATMEGA8515"},
        {{".fuse", 0x820000, {1, 2, 3}}, "Section .fuse at 0x820002 lies outside the memories of the ATMEGA8515"},
        {{".noinit", 0x800100, {0}}, "Section .noinit at 0x800100 lies outside the memories of the ATMEGA8515"},
        {{".user", 0x850000, {0}}, "Section .user at 0x850000 lies outside the memories of the ATMEGA8515"},
        {{".signature", 0x840000, {0x08, 0x93, 0x1E}},
         "The ELF file's signature 1E 93 08 is not the ATMEGA8515's (1E 93 06)"},
    };
    for (const auto& c : outside) {
        SCOPED_TRACE(c.message);
        std::vector<ElfPiece> pieces = good;
        pieces.push_back(c.piece);
        if (c.piece.section == ".signature") pieces.erase(pieces.begin() + 5);
        expectRefused(makeElf(EM_AVR, pieces), kAtmega8515, c.message);
    }
}

TEST_F(ElfLoad, OtherPartsReadSegmentsAsTheirHexFiles) {
    // PIC16: program words in file order, ID words, configuration word, EEPROM words.
    ASSERT_EQ(load(makeElf(0, {{".code", 0, {0x83, 0x16}}, {".idlocs", 0x4000, {1, 0, 2, 0, 3, 0, 4, 0}},
                              {".config", 0x400E, {0xF1, 0x3F}}, {".eedata", 0x4200, {0x12, 0, 0x34, 0}}}),
                   chips::kPic16F84),
              "");
    test::expectAt(img->program, {{0, 0x83}, {1, 0x16}, {2, 0xFF}});
    test::expectAt(img->idBlock, {{0, 0x12}, {1, 0x34}, {8, 1}, {11, 4}});
    test::expectAt(img->configBlock, {{0, 0xF1}, {1, 0x3F}});
    test::expectAt(img->data, {{0, 0x12}, {1, 0x34}, {2, 0xFF}});
    EXPECT_EQ(report.placed, (std::vector<Extent>{{ImageArea::Program, 0, 1}, {ImageArea::Id, 8, 11},
                                                  {ImageArea::Config, 0, 1}, {ImageArea::Data, 0, 1}}));
    EXPECT_EQ(report.droppedBytes, 6u); // the high bytes of the ID and EEPROM words
    // The device ID is the chip's own: left out, whatever a tool put there.
    ASSERT_EQ(load(makeElf(0, {{".code", 0, {0}}, {".devid", 0x400C, {0x60, 0x05}}}), chips::kPic16F84), "");
    EXPECT_EQ(report.placedBytes, 1u);
    EXPECT_EQ(report.droppedBytes, 2u);
    EXPECT_EQ(img->program[0x400C], 0xFF);
    expectRefused(makeElf(0, {{".eedata", 0x427E, {1, 0, 2, 0}}}), chips::kPic16F84, // 64 bytes
                  "Section .eedata at 0x004280 lies outside the memories of the PIC16F84");

    // PIC18 by full address; the 12-bit core's configuration word at 0x1FFE.
    ASSERT_EQ(load(makeElf(0, {{".config", 0x300001, {0x22, 0x0C}}, {".eeprom", 0xF00010, {7}},
                              {".idlocs", 0x200007, {8}}}),
                   chips::kPic18F452),
              "");
    test::expectAt(img->configBlock, {{0, 0xFF}, {1, 0x22}, {2, 0x0C}});
    test::expectAt(img->data, {{0x10, 7}});
    test::expectAt(img->idBlock, {{7, 8}});
    expectRefused(makeElf(0, {{".config", 0x30000D, {1, 2}}}), chips::kPic18F452,
                  "Section .config at 0x30000E lies outside the memories of the PIC18F452");
    ASSERT_EQ(load(makeElf(0, {{".config", 0x1FFE, {0xEA, 0x0F}}}), chips::kPic12C508), "");
    test::expectAt(img->configBlock, {{0, 0xEA}, {1, 0x0F}});
    expectRefused(makeElf(0, {{".code", 0x0408, {0}}}), chips::kPic12C508,
                  "Section .code at 0x000408 lies outside the memories of the PIC12C508");

    // 8051 and memory chips: bytes from 0 up to the size in use.
    ASSERT_EQ(load(makeElf(EM_8051, {{".text", 0x0FFF, {0x42}}}), chips::kAt89C51), "");
    EXPECT_EQ(img->program[0xFFF], 0x42);
    expectRefused(makeElf(EM_8051, {{".text", 0x0FFF, {0x42, 0x43}}}), chips::kAt89C51,
                  "Section .text at 0x001000 lies outside the memories of the AT89C51");
    ASSERT_EQ(load(makeElf(0, {{".rom", 0xFF, {9}}}), chips::k24C02), "");
    EXPECT_EQ(img->program[0xFF], 9);
}

TEST_F(ElfLoad, BadFilesAreRefusedWithTheirReason) {
    const Bytes avr = makeElf(EM_AVR, {{".text", 0, {1, 2, 3, 4}}});
    expectRefused(Bytes(avr.begin(), avr.begin() + 40), kAtmega8515, "Truncated ELF file");
    expectRefused(Bytes(avr.begin(), avr.begin() + 60), kAtmega8515, "Truncated ELF file");
    expectRefused({}, kAtmega8515, "Not an ELF file");
    const std::string hex = ":00000001FF\n";
    expectRefused(Bytes(hex.begin(), hex.end()), kAtmega8515, "Not an ELF file");
    expectRefused(makeElf(EM_AVR, {{".text", 0, {1}}}, ELFCLASS64), kAtmega8515,
                  "A 64-bit ELF file: the parts take 32-bit ELF files");
    expectRefused(makeElf(EM_386, {{".text", 0, {1}}}), kAtmega8515,
                  "An ELF file for machine 3, not AVR: the ATMEGA8515 takes AVR files");
    expectRefused(avr, chips::kAt89C51, "An ELF file for AVR: the AT89C51 is not an AVR part");
    expectRefused(makeElf(EM_AVR, {}), kAtmega8515, "No loadable data in the ELF file");
}

TEST_F(ElfLoad, OpenTakesElfFilesByName) {
    test::TempDir dir;
    test::writeFile(dir / "fw.ELF", makeElf(0, {{".code", 0, {0x83, 0x16}}}));
    SelectedDevice dev = test::deviceAt(chips::kPic16F84);
    FileResult r = loadImageFile(dir / "fw.ELF", *img, dev);
    ASSERT_TRUE(r.ok) << r.message;
    test::expectAt(img->program, {{0, 0x16}, {1, 0x83}}); // swapped like a HEX load
    EXPECT_EQ(img->dataFileName, dir / "fw.ELF");

    // Refused: the window's error box with the reason.
    r = loadImageFile(dir / "fw.ELF", *img, test::deviceAt(kAtmega8515));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.errorBox);
    EXPECT_EQ(r.message, "An ELF file for machine 0, not AVR: the ATMEGA8515 takes AVR files");
    r = loadImageFile(dir / "missing.elf", *img, dev);
    EXPECT_EQ(r.message, "Can't Open File!");
}

} // namespace
} // namespace kestro
