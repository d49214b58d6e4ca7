#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace kestro {
namespace {

using test::record;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at) + "<no line end>");
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

struct HexWrite : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    SelectedDevice dev;

    void select(int index) {
        dev = test::deviceAt(index);
        clearImages(*img);
    }
    // Sets program word w (high byte first in the buffer).
    void word(uint32_t w, uint16_t value) {
        img->program[2 * w] = static_cast<uint8_t>(value >> 8);
        img->program[2 * w + 1] = static_cast<uint8_t>(value);
    }
    void blankProgram() {
        for (uint32_t w = 0; w < dev.programSize / 2; ++w) word(w, picBlankWord(dev.index));
    }
    std::vector<std::string> text() { return lines(intelHexText(*img, dev)); }
};

TEST_F(HexWrite, RunsOfNonBlankWordsWithinALine) {
    select(test::kPic16f84);
    blankProgram();
    for (uint32_t w : {0x10u, 0x11u, 0x12u, 0x15u}) word(w, static_cast<uint16_t>(0x2800 + w));
    img->idBlock[0] = 0x12;
    img->idBlock[1] = 0x34;
    img->configBlock[0] = 0xF2;
    img->configBlock[1] = 0x3F;
    const auto t = text();
    ASSERT_EQ(t.size(), 5u);
    // Words 0, 1, 2 and 5 of the line at 0x20: 6 bytes at L and 2 bytes at L + 10.
    EXPECT_EQ(t[0], record(0, 0x20, {0x10, 0x28, 0x11, 0x28, 0x12, 0x28}));
    EXPECT_EQ(t[1], record(0, 0x2A, {0x15, 0x28}));
    EXPECT_EQ(t[2], record(0, 0x4000, {1, 0, 2, 0, 3, 0, 4, 0})); // packed ID 0x12 0x34
    EXPECT_EQ(t[2], ":084000000100020003000400AE");
    EXPECT_EQ(t[3], record(0, 0x400E, {0xF2, 0x3F}));
    EXPECT_EQ(t[4], ":00000001FF");
    EXPECT_EQ(intelHexText(*img, dev).substr(intelHexText(*img, dev).size() - 13), ":00000001FF\r\n");
}

TEST_F(HexWrite, BlankWordDependsOnTheCore) {
    // A 14-bit program of 0xFFFF words is not blank there: every word is written.
    select(test::kPic16f84);
    auto t = text();
    ASSERT_EQ(t.size(), 2048u / 16 + 3);
    EXPECT_EQ(t[0], record(0, 0, std::vector<uint8_t>(16, 0xFF)));
    EXPECT_EQ(t[127], record(0, 0x7F0, std::vector<uint8_t>(16, 0xFF)));
    // 0x0FFF is blank for the 12-bit core, 0x3FFF is not.
    select(test::kPic12c508);
    blankProgram();
    word(3, 0x3FFF);
    t = text();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0], record(0, 6, {0xFF, 0x3F}));
    EXPECT_EQ(t[1], record(0, 0x400, {0xF, 0, 0xF, 0, 0xF, 0, 0xF, 0})); // ID at the program size
    EXPECT_EQ(t[2], record(0, 0x1FFE, {0xFF, 0xFF}));
}

TEST_F(HexWrite, FourteenBitEepromGroups) {
    select(test::kPic16f877);
    blankProgram();
    img->data[0] = 0x12;    // group 0: written with its 0xFF bytes
    img->data[255] = 0x00;  // group 31, past 0x4300
    const auto t = text();
    ASSERT_EQ(t.size(), 5u); // no program records at all
    EXPECT_EQ(t[0], record(0, 0x4000, {0xF, 0, 0xF, 0, 0xF, 0, 0xF, 0}));
    EXPECT_EQ(t[1], record(0, 0x400E, {0xFF, 0xFF}));
    EXPECT_EQ(t[2], record(0, 0x4200, {0x12, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0}));
    EXPECT_EQ(t[3], record(0, 0x43F0, {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0x00, 0}));
    // Without data EEPROM nothing follows the configuration word.
    select(74); // PIC16F72
    blankProgram();
    EXPECT_EQ(text().size(), 3u);
}

TEST_F(HexWrite, Pic18Order) {
    select(test::kPic18f452);
    blankProgram();
    word(0, 0xEF12);
    for (size_t i = 0; i < 16; ++i) {
        img->configBlock[i] = static_cast<uint8_t>(0x30 + i);
        img->idBlock[i] = static_cast<uint8_t>(0x20 + i);
    }
    img->data[0] = 0; // PIC18 data EEPROM never goes into the file
    const auto t = text();
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0], ":020000040000FA");
    EXPECT_EQ(t[1], record(0, 0, {0x12, 0xEF}));
    EXPECT_EQ(t[2], ":020000040030CA");
    EXPECT_EQ(t[3], record(0, 0, {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A,
                                  0x3B, 0x3C, 0x3D}));
    EXPECT_EQ(t[4], ":020000040020DA");
    EXPECT_EQ(t[5], record(0, 0, {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27}));
    EXPECT_EQ(t[6], ":00000001FF");
}

TEST_F(HexWrite, ExtensionRule) {
    EXPECT_EQ(hexSavePath(splitPath("/a/b/prog.BIN")), "/a/b/prog.hex");
    EXPECT_EQ(hexSavePath(splitPath("/a/b/prog.bin")), "/a/b/prog.hex");
    EXPECT_EQ(hexSavePath(splitPath("/a/b/prog")), "/a/b/prog.hex");
    EXPECT_EQ(hexSavePath(splitPath("/a/b.d/prog")), "/a/b.d/prog.hex");
    for (const char* kept : {"/a/prog.hex", "/a/prog.HEX", "/a/prog.Hex"})
        EXPECT_EQ(hexSavePath(splitPath(kept)), kept);
    const std::string longDir = "/tmp/" + std::string(120, 'd') + "/";
    EXPECT_EQ(hexSavePath(splitPath(longDir + "name.v2.bin")), longDir + "name.v2.hex");
}

// Load a file made here, save it, load the result: the images come back the same.
struct RoundTrip : HexWrite {
    test::TempDir dir;

    void roundTrip(const std::string& original) {
        const HexReader reader = hexReaderFor(dev.index);
        const auto load = [&](const std::string& path) {
            ASSERT_EQ(loadIntelHex(reader, path, *img, dev), HexError::None) << path;
            picWordSwap(*img, dev.programSize);
        };
        test::writeFile(dir / "a.hex", original);
        load(dir / "a.hex");
        const auto first = std::make_unique<Images>(*img);
        ASSERT_TRUE(writeIntelHex(dir / "b.hex", *img, dev));
        load(dir / "b.hex");
        EXPECT_EQ(img->program, first->program);
        EXPECT_EQ(img->data, first->data);
        EXPECT_EQ(img->idBlock, first->idBlock);
        EXPECT_EQ(img->configBlock, first->configBlock);
        EXPECT_NE(first->program, std::make_unique<Images>()->program); // something was loaded
    }

    // Program records of random non-blank words with gaps, high bytes within the mask.
    std::string programRecords(uint32_t seed) {
        const auto bytes = test::pattern(dev.programSize, seed);
        const uint8_t mask = picHighByteMask(dev.index);
        std::string s;
        for (uint32_t at = 0; at < dev.programSize; at += 16) {
            if (bytes[at] % 3 == 0) continue; // a gap
            std::vector<uint8_t> line(bytes.begin() + at, bytes.begin() + at + 16);
            for (size_t i = 1; i < 16; i += 2) line[i] = static_cast<uint8_t>(line[i] & mask & 0xFE);
            s += record(0, static_cast<uint16_t>(at), line) + "\r\n";
        }
        return s;
    }
};

TEST_F(RoundTrip, TwelveBitCore) {
    select(test::kPic16c54a);
    roundTrip(programRecords(1) + record(0, 0x400, {1, 0, 2, 0, 0xE, 0, 0xF, 0}) + "\n" +
              record(0, 0x1FFE, {0xEA, 0x0F}) + "\n" + test::kEndRecord + "\n");
}

TEST_F(RoundTrip, FourteenBitCoreWithFullEeprom) {
    select(test::kPic16f877);
    std::string eeprom;
    const auto data = test::pattern(256, 7);
    for (uint32_t k = 0; k < 32; ++k) {
        if (k == 5) continue; // a group left erased
        std::vector<uint8_t> words;
        for (uint32_t j = 0; j < 8; ++j) words.insert(words.end(), {data[8 * k + j], 0});
        eeprom += record(0, static_cast<uint16_t>(0x4200 + 16 * k), words) + "\n";
    }
    roundTrip(programRecords(2) + record(0, 0x4000, {9, 0, 8, 0, 7, 0, 6, 0}) + "\n" +
              record(0, 0x400E, {0x72, 0x3F}) + "\n" + eeprom + test::kEndRecord + "\n");
}

TEST_F(RoundTrip, Pic18) {
    select(test::kPic18f6620);
    roundTrip(record(4, 0, {0, 0}) + "\n" + programRecords(3) + record(4, 0, {0, 0x30}) + "\n" +
              record(0, 0, test::pattern(14, 4)) + "\n" + record(4, 0, {0, 0x20}) + "\n" +
              record(0, 0, test::pattern(8, 5)) + "\n" + test::kEndRecord + "\n");
}

} // namespace
} // namespace kestro
