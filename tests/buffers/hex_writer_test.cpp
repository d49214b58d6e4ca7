#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestro {
namespace {

using test::hexFile;
using test::record;

// The writer's file: CR LF line ends, the end record last.
std::string crlfFile(std::initializer_list<std::string> records) {
    return hexFile(records, "\r\n");
}
const test::Bytes kErasedId = {0xF, 0, 0xF, 0, 0xF, 0, 0xF, 0}, kErasedWord = {0xFF, 0xFF};

struct HexWrite : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    SelectedDevice dev;

    void select(int index, bool blank = true) {
        dev = test::deviceAt(index);
        clearImages(*img);
        for (uint32_t w = 0; blank && w < dev.programSize / 2; ++w) word(w, picBlankWord(index));
    }
    void word(uint32_t w, uint16_t value) { // high byte first in the buffer
        img->program[2 * w] = static_cast<uint8_t>(value >> 8);
        img->program[2 * w + 1] = static_cast<uint8_t>(value);
    }
    std::string text() const { return intelHexText(*img, dev); }
};

TEST_F(HexWrite, FourteenBitCoreWritesRunsOfNonBlankWordsAndUsedEepromGroups) {
    select(chips::kPic16F877);
    for (uint32_t w : {0x10u, 0x11u, 0x12u, 0x15u}) word(w, static_cast<uint16_t>(0x2800 + w));
    img->idBlock[0] = 0x12, img->idBlock[1] = 0x34;
    img->configBlock[0] = 0xF2, img->configBlock[1] = 0x3F;
    img->data[0] = 0x12;   // group 0: written with its 0xFF bytes
    img->data[255] = 0x00; // group 31, past 0x4300
    test::Bytes first(16, 0), last(16, 0);
    for (size_t i = 0; i < 16; i += 2) first[i] = last[i] = 0xFF;
    first[0] = 0x12, last[14] = 0x00;
    // Words 0, 1, 2 and 5 of the line at 0x20: 6 bytes at L and 2 bytes at L + 10.
    EXPECT_EQ(text(), crlfFile({record(0, 0x20, {0x10, 0x28, 0x11, 0x28, 0x12, 0x28}),
                                record(0, 0x2A, {0x15, 0x28}),
                                ":084000000100020003000400AE", // packed ID 0x12 0x34
                                record(0, 0x400E, {0xF2, 0x3F}), record(0, 0x4200, first),
                                record(0, 0x43F0, last)}));
    select(74); // PIC16F72: no data EEPROM, nothing after the configuration word
    img->data[0] = 0x12;
    EXPECT_EQ(text(), crlfFile({record(0, 0x4000, kErasedId), record(0, 0x400E, kErasedWord)}));
}

TEST_F(HexWrite, BlankWordDependsOnTheCore) {
    // 0xFFFF words are not blank for the 14-bit core: every word is written.
    select(chips::kPic16F84, false);
    std::string all;
    for (uint16_t a = 0; a < 2048; a += 16) all += record(0, a, test::Bytes(16, 0xFF)) + "\r\n";
    EXPECT_EQ(text(),
              all + crlfFile({record(0, 0x4000, kErasedId), record(0, 0x400E, kErasedWord)}));
    // 0x0FFF is blank for the 12-bit core, 0x3FFF is not; the ID follows the program memory.
    select(chips::kPic12C508);
    word(3, 0x3FFF);
    EXPECT_EQ(text(), crlfFile({record(0, 6, {0xFF, 0x3F}), record(0, 0x400, kErasedId),
                                record(0, 0x1FFE, kErasedWord)}));
}

TEST_F(HexWrite, Pic18Order) {
    select(chips::kPic18F452);
    word(0, 0xEF12);
    const test::Bytes config = test::pattern(16, 1), id = test::pattern(16, 2);
    std::copy(config.begin(), config.end(), img->configBlock.begin());
    std::copy(id.begin(), id.end(), img->idBlock.begin());
    // Data EEPROM last, one byte per address from 0xF00000, used 16-byte lines only.
    test::Bytes line0(16, 0xFF), line2(16, 0xFF);
    img->data[0] = line0[0] = 0;
    img->data[0x25] = line2[5] = 0x42;
    img->data[0x100] = 0x77; // past the 256 bytes of the PIC18F452
    EXPECT_EQ(text(), crlfFile({":020000040000FA", record(0, 0, {0x12, 0xEF}), ":020000040030CA",
                                record(0, 0, test::slice(config, 0, 14)), ":020000040020DA",
                                record(0, 0, test::slice(id, 0, 8)), ":0200000400F00A",
                                record(0, 0, line0), record(0, 0x20, line2)}));
    img->data.fill(0xFF); // no EEPROM records, no address record for them
    EXPECT_EQ(text().find(":0200000400F0"), std::string::npos);
}

TEST_F(HexWrite, SavedNameEndsInHex) {
    const std::string longDir = "/tmp/" + std::string(120, 'd') + "/";
    const struct {
        std::string in, out;
    } cases[] = {{"/a/b/prog.BIN", "/a/b/prog.hex"}, {"/a/b.d/prog", "/a/b.d/prog.hex"},
                 {"/a/prog.Hex", "/a/prog.Hex"},     {"/a/prog.hexx", "/a/prog.hex"},
                 {".hex", ".hex"},                   {longDir + "a.v2.bin", longDir + "a.v2.hex"}};
    for (const auto& c : cases) EXPECT_EQ(hexSavePath(splitPath(c.in)), c.out);
}

} // namespace
} // namespace kestro
