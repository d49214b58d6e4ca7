#include "buffers/hex_reader.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestro {
namespace {

using test::erased;
using test::hexFile;
using test::kEndRecord;
using test::record;

struct HexRead : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();

    HexError load(const std::string& text, HexReader r = HexReader::Bytes,
                  int device = test::kAt89c51) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        return loadIntelHex(r, std::span(bytes, text.size()), *img, test::deviceAt(device));
    }
};

TEST_F(HexRead, LineEndsAndMalformedFiles) {
    const std::string rec = record(0, 0, {0xAA, 0xBB}), first = rec + "\n";
    // LF or CR LF; the last line may lack its line end; nothing after the end record is read.
    for (const std::string& good : {first + kEndRecord, hexFile({rec}, "\r\n"),
                                    first + kEndRecord + "\ngarbage\n\n"})
        EXPECT_EQ(load(good), HexError::None) << good;
    // A malformed file stops with its message and keeps what was read before.
    const std::string bad = "Incorrect file !\n", colon = bad + "Expected ':'",
                      digit = bad + "Hex digit expected", eof = bad + "Unexpected EOF";
    const struct {
        std::string text, message;
    } cases[] = {
        {first, colon},                     // no end record
        {first + "\n" + kEndRecord, colon}, // empty line
        {rec + " \n" + kEndRecord, colon},  // trailing space
        {first + "x" + kEndRecord, colon},
        {first + ":01000200ab", digit},                        // lower case
        {first + ":0301\r00000102030F\n" + kEndRecord, digit}, // a CR that ends no line
        {first + ":0380000001", eof},                          // end inside a byte
        {first + ":0380000001A", eof},
        {first + ":01800000CC00\n" + kEndRecord, bad + "Checksum error in file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        img->program.fill(0);
        EXPECT_EQ(hexErrorMessage(load(c.text)), c.message);
        // No rollback: the first record is stored, the rest of the images was cleared.
        EXPECT_EQ(test::slice(img->program, 0, 2), (test::Bytes{0xAA, 0xBB}));
        EXPECT_TRUE(erased(img->program, 2, 0x8000));
    }
    EXPECT_EQ(hexErrorMessage(load("")), colon);
}

TEST_F(HexRead, FileReadingMatchesMemoryAcrossTheBufferBoundary) {
    // A first record length that puts the CR of a CR LF pair on the last byte of the
    // first 32 KiB read, so that its LF arrives with the next read.
    std::string text;
    for (size_t n = 1; n < 200 && (text.size() < 32768 || text[32767] != '\r'); ++n) {
        text = record(0, 0x8000, test::pattern(n, 1)) + "\r\n";
        for (uint32_t a = 0; text.size() < 40000; a += 16)
            text += record(0, static_cast<uint16_t>(a), test::pattern(16, a)) + "\r\n";
        text += kEndRecord + "\r\n";
    }
    ASSERT_EQ(text[32767], '\r');
    test::TempDir dir;
    test::writeFile(dir / "big.hex", text);
    ASSERT_EQ(loadIntelHex(HexReader::Bytes, dir / "big.hex", *img, test::deviceAt(test::kAt89c51)),
              HexError::None);
    const auto fromFile = std::make_unique<Images>(*img);
    ASSERT_EQ(load(text), HexError::None);
    EXPECT_EQ(img->program, fromFile->program);
}

TEST_F(HexRead, ByteReaderFollowsExtendedAddresses) {
    const std::string text = hexFile(
        {record(4, 0, {0, 0}), record(0, 0x20, {7}),                 // a base of 0 changes nothing
         record(0, 0xFFFE, {1, 2, 3, 4}),                            // runs past 64 KiB
         record(0x07, 0x10, {5}),                                    // unknown types hold data
         record(4, 0, {0x00, 0x0F}), record(0, 0xFFFF, {0xA1}),      // linear address
         record(2, 0, {0x80, 0x00}), record(0, 0x0002, {0xB2}),      // segment address
         record(4, 0, {0x00, 0x10}), record(0, 0, {0xC3}),           // past 1 MiB: dropped
         record(3, 0, {0, 0, 1, 0}), record(5, 0, {0, 0, 0, 4}),     // start addresses
         record(4, 0, {0xFF, 0xFF}), record(0, 0xFFFF, {0xE5, 0xE6}), // top of 4 GiB
         record(4, 0, {0, 0}), record(0, 1, {0xD4})});
    ASSERT_EQ(load(text, HexReader::Bytes, test::k29f800), HexError::None);
    // Nothing but the last record lands at 0000..000F.
    EXPECT_EQ(test::slice(img->program, 0, 4), (test::Bytes{0xFF, 0xD4, 0xFF, 0xFF}));
    test::expectAt(img->program, {{0x10, 5}, {0x20, 7}, {0xFFFE, 1}, {0x10001, 4},
                                  {0x80002, 0xB2}, {0xFFFFF, 0xA1}});
    // Non-PIC devices leave the data buffer and the fuse bytes alone.
    EXPECT_TRUE(erased(img->data) && erased(img->idBlock) && erased(img->configBlock));
}

TEST_F(HexRead, PicWordReaderSortsTheUpperAreasAndDropsOverlongBlocks) {
    test::Bytes config = test::pattern(20, 3), id(40, 0x5A); // both longer than their blocks
    id[0] = 0x12, id[2] = 0x34, id[4] = 0x0F, id[6] = 0x10;
    img->view = DataView;
    ASSERT_EQ(load(hexFile({record(0, 0, {0x83, 0x16}), record(0, 0x400E, config),
                            record(0, 0x4000, id), record(0, 0x4200, {0x12, 0, 0x34, 0}),
                            record(0, 0x4210, {0x56, 0x77}), record(0, 0x43FE, {0xEE, 0}),
                            record(0, 0x4100, {9, 9}), record(0, 0x0010, {0x55, 0x01})}),
                   HexReader::PicWords, test::kPic16f877),
              HexError::None);
    EXPECT_EQ(test::slice(img->configBlock, 0, 16), test::slice(config, 0, 16));
    // ID words: even bytes only, then one digit per word packed into bytes 0 and 1.
    EXPECT_EQ(test::slice(img->idBlock, 0, 16),
              (test::Bytes{0x54, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x0F, 0x10,
                           0x5A, 0x5A, 0x5A, 0x5A}));
    EXPECT_EQ(img->view, DataView); // nothing past the blocks was written
    // EEPROM words keep their low bytes at (address - 0x4200) / 2.
    test::expectAt(img->data, {{0, 0x12}, {1, 0x34}, {8, 0x56}, {9, 0xFF}, {255, 0xEE}});
    // Program words stay in file order (the swap is the caller's step); another upper
    // address is checked, not stored; records after the long ones still load.
    test::expectAt(img->program, {{0, 0x83}, {1, 0x16}, {0x4100, 0xFF}, {0x10, 0x55}});
    EXPECT_EQ(load(hexFile({record(0, 0, {1, 2, 3})}), HexReader::PicWords, test::kPic16f84),
              HexError::Checksum); // an odd byte count eats the checksum

    // 12-bit core: ID words just past the 512 program words, configuration at word 0xFFF.
    const std::string idWords = record(0, 0x0400, {0x0A, 0, 0x0B, 0, 0x0C, 0, 0x0D, 0});
    ASSERT_EQ(load(hexFile({idWords, record(0, 0x1FFE, {0xEA, 0x0F})}), HexReader::PicWords,
                   test::kPic12c508),
              HexError::None);
    test::expectAt(img->idBlock, {{0, 0xAB}, {1, 0xCD}, {8, 0x0A}, {11, 0x0D}});
    test::expectAt(img->configBlock, {{0, 0xEA}, {1, 0x0F}});
    // Without an end record neither the copy nor the packing happens.
    EXPECT_EQ(load(idWords + "\n", HexReader::PicWords, test::kPic12c508), HexError::ExpectedColon);
    EXPECT_TRUE(erased(img->idBlock));
}

TEST_F(HexRead, Pic18UpperAreaAppliesToExactlyOneRecord) {
    const test::Bytes config = test::pattern(14, 1), id = test::pattern(8, 2);
    ASSERT_EQ(load(hexFile({record(4, 0, {0, 0}), record(0, 0x0100, {0x12, 0xEF}),
                            record(4, 0, {0, 0x30}), record(0, 0x0000, config),
                            record(0, 0x0004, {0xAB, 0xCD}), // back in program memory
                            record(4, 0, {0, 0x20}), record(0, 0x0008, id), // own address ignored
                            record(4, 0, {0, 0x30}), record(4, 0, {0x00, 0x01}), // selection stays
                            record(0, 0x0000, {0x99, 0x98}), record(4, 0, {0, 0x01}),
                            record(0, 0x0010, {0x77, 0x66})}), // lands at the 16-bit address
                   HexReader::Pic18, test::kPic18f452),
              HexError::None);
    test::expectAt(img->program, {{0, 0xFF}, {4, 0xAB}, {0x10, 0x77}, {0x100, 0x12}});
    EXPECT_EQ(test::slice(img->configBlock, 0, 2), (test::Bytes{0x99, 0x98}));
    EXPECT_EQ(test::slice(img->configBlock, 2, 14), test::slice(config, 2, 14));
    EXPECT_EQ(test::slice(img->idBlock, 0, 8), id);

    // Overlong area records drop their surplus; other types fail the checksum.
    img->view = DataView;
    ASSERT_EQ(load(hexFile({record(4, 0, {0, 0x20}), record(0, 0, test::Bytes(32, 0x5A)),
                            record(0, 2, {1, 2})}),
                   HexReader::Pic18, test::kPic18f452),
              HexError::None);
    EXPECT_EQ(test::slice(img->idBlock, 0, 16), test::Bytes(16, 0x5A));
    EXPECT_TRUE(erased(img->configBlock));
    EXPECT_EQ(img->view, DataView);
    EXPECT_EQ(img->program[2], 1);
    EXPECT_EQ(load(hexFile({record(2, 0, {0x10, 0})}), HexReader::Pic18, test::kPic18f452),
              HexError::Checksum);
}

} // namespace
} // namespace kestro
