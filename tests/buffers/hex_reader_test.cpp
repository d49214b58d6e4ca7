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

    LoadReport report;

    HexError load(const std::string& text, HexReader r = HexReader::Bytes,
                  int device = chips::kAt89C51) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        return loadIntelHex(r, std::span(bytes, text.size()), *img, test::deviceAt(device), &report);
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
    // Each names its line, CR LF and LF ending one line alike.
    const struct {
        std::string text, message;
        uint32_t line;
        std::string what;
    } cases[] = {
        {first, colon, 2, "the file ends without an end record"},
        {first + "\n" + kEndRecord, colon, 2, "':' expected"}, // empty line
        {rec + " \n" + kEndRecord, colon, 1, "':' expected"},  // trailing space
        {first + "x" + kEndRecord, colon, 2, "':' expected"},
        {first + ":01000200ab", digit, 2, "hex digit expected"},                      // lower case
        {rec + "\r\n:0301\r00000102030F\n" + kEndRecord, digit, 2, "hex digit expected"}, // a CR that ends no line
        {first + ":0380000001", eof, 2, "unexpected end of file"},                    // end inside a byte
        {first + ":0380000001A", eof, 2, "unexpected end of file"},
        {first + record(0, 0x9000, {1}) + "\r\n:01800000CC00\n" + kEndRecord, bad + "Checksum error in file", 3,
         "checksum error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        img->program.fill(0);
        EXPECT_EQ(hexErrorMessage(load(c.text)), c.message);
        EXPECT_EQ(report.errorLine, c.line);
        EXPECT_EQ(report.errorWhat, c.what);
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
    ASSERT_EQ(loadIntelHex(HexReader::Bytes, dir / "big.hex", *img, test::deviceAt(chips::kAt89C51)),
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
    ASSERT_EQ(load(text, HexReader::Bytes, chips::k29F800), HexError::None);
    // Nothing but the last record lands at 0000..000F.
    EXPECT_EQ(test::slice(img->program, 0, 4), (test::Bytes{0xFF, 0xD4, 0xFF, 0xFF}));
    test::expectAt(img->program, {{0x10, 5}, {0x20, 7}, {0xFFFE, 1}, {0x10001, 4},
                                  {0x80002, 0xB2}, {0xFFFFF, 0xA1}});
    // Non-PIC devices leave the data buffer and the fuse bytes alone.
    EXPECT_TRUE(erased(img->data) && erased(img->idBlock) && erased(img->configBlock));
}

TEST_F(HexRead, PicWordReaderPlacesEachByteByItsOwnAddress) {
    // srec_cat and objcopy merge the ID words and the configuration word into one
    // record; the device ID word between them is not stored.
    const test::Bytes idAndConfig = {0x12, 0, 0x34, 0, 0x0F, 0, 0x10, 0, 9, 9, 9, 9, 9, 9, 0xF2, 0x3F};
    img->view = DataView;
    ASSERT_EQ(load(hexFile({record(4, 0, {0, 0}), record(0, 0, {0x83, 0x16}),
                            record(0, 0x3FFE, {0xAA, 0x3F, 0x0B, 0x00}), // program, then an ID word
                            record(0, 0x4000, idAndConfig), record(0, 0x400E, {0xF2, 0x3F, 7, 7}),
                            record(0, 0x41FE, {9, 9, 0x12, 0, 0x34, 0}), record(0, 0x4210, {0x56, 0x77}),
                            record(0, 0x43FE, {0xEE, 0}), record(0, 0x4100, {9, 9}),
                            record(0, 0x0010, {0x55, 0x01, 0x02}), // odd byte counts are legal
                            record(4, 0, {0, 1}), record(0, 0, {9, 9})}), // 0x10000: no area
                   HexReader::PicWords, chips::kPic16F877),
              HexError::None);
    EXPECT_EQ(test::slice(img->configBlock, 0, 16),
              (test::Bytes{0xF2, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF}));
    // ID words: even bytes only, then one digit per word packed into bytes 0 and 1.
    EXPECT_EQ(test::slice(img->idBlock, 0, 16),
              (test::Bytes{0x54, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x0F, 0x10,
                           0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(img->view, DataView); // nothing past the blocks was written
    // EEPROM words keep their low bytes at (address - 0x4200) / 2.
    test::expectAt(img->data, {{0, 0x12}, {1, 0x34}, {8, 0x56}, {9, 0xFF}, {255, 0xEE}});
    // Program words stay in file order (the swap is the caller's step); bytes of no
    // area are checked, not stored, wherever their record starts.
    test::expectAt(img->program, {{0, 0x83}, {1, 0x16}, {0x10, 0x55}, {0x12, 0x02}, {0x3FFE, 0xAA},
                                  {0x3FFF, 0x3F}, {0x4000, 0xFF}, {0x4100, 0xFF}, {0x10000, 0xFF}});
    EXPECT_TRUE(test::erased(img->program, 0x4000));

    // 12-bit core: ID words just past the 512 program words, configuration at word 0xFFF,
    // also at the end of a longer record.
    test::Bytes tail(16, 0x0F);
    tail[14] = 0xEA;
    const std::string idWords = record(0, 0x0400, {0x0A, 0, 0x0B, 0, 0x0C, 0, 0x0D, 0});
    ASSERT_EQ(load(hexFile({idWords, record(0, 0x1FF0, tail)}), HexReader::PicWords, chips::kPic12C508),
              HexError::None);
    test::expectAt(img->idBlock, {{0, 0xAB}, {1, 0xCD}, {8, 0x0A}, {11, 0x0D}});
    test::expectAt(img->configBlock, {{0, 0xEA}, {1, 0x0F}});
    // Without an end record neither the copy nor the packing happens.
    EXPECT_EQ(load(idWords + "\n", HexReader::PicWords, chips::kPic12C508), HexError::ExpectedColon);
    EXPECT_TRUE(erased(img->idBlock));
}

TEST_F(HexRead, Pic18PlacesEachByteByItsFullAddress) {
    // As gpasm writes CONFIG directives, __idlocs and DE data: records of any length at
    // their own addresses, several after one address record.
    const test::Bytes id = test::pattern(8, 2);
    img->view = DataView;
    ASSERT_EQ(load(hexFile({record(4, 0, {0, 0}), record(0, 0x0100, {0x12, 0xEF}),
                            record(4, 0, {0, 0x30}), record(0, 0x0001, {0x22, 0x0F, 0x0E}),
                            record(0, 0x0005, {0x01, 0x85}), record(0, 0x0008, {1, 2, 3, 4, 5, 6}),
                            record(0, 0x000C, {0xCC, 0xDD, 0xEE, 0xEE}), // past 14 bytes: dropped
                            record(4, 0, {0, 0x20}), record(0, 0x0000, id),
                            record(0, 0x0008, {0x5A}), // past 8 ID bytes: dropped
                            record(4, 0, {0, 0xF0}), record(0, 0x0000, {'D', 'E', 0}),
                            record(0, 0x00FF, {0x77}),
                            record(4, 0, {0, 0x01}), record(0, 0x0010, {0x77, 0x66}),
                            record(4, 0, {0, 0x40}), record(0, 0x0004, {0x99})}), // no area
                   HexReader::Pic18, chips::kPic18F452),
              HexError::None);
    EXPECT_EQ(test::slice(img->configBlock, 0, 16),
              (test::Bytes{0xFF, 0x22, 0x0F, 0x0E, 0xFF, 0x01, 0x85, 0xFF, 1, 2, 3, 4, 0xCC, 0xDD,
                           0xFF, 0xFF}));
    EXPECT_EQ(test::slice(img->idBlock, 0, 16), [&] {
        test::Bytes b(16, 0xFF);
        std::copy(id.begin(), id.end(), b.begin());
        return b;
    }());
    test::expectAt(img->data, {{0, 'D'}, {1, 'E'}, {2, 0}, {3, 0xFF}, {0xFF, 0x77}});
    // Program memory holds the program record and the bytes above 64 KiB, nothing else.
    test::expectAt(img->program, {{0x100, 0x12}, {0x101, 0xEF}, {0x10010, 0x77}, {0x10011, 0x66}});
    EXPECT_TRUE(test::erased(img->program, 0, 0x100));
    EXPECT_TRUE(test::erased(img->program, 0x102, 0x10010));
    EXPECT_EQ(img->view, DataView);

    // Other types fail the checksum.
    EXPECT_EQ(load(hexFile({record(2, 0, {0x10, 0})}), HexReader::Pic18, chips::kPic18F452),
              HexError::Checksum);
}

TEST_F(HexRead, TheReportSortsEveryByteOnceAsTheReaderPlacesIt) {
    // 14-bit core: the ID, reserved, device ID and configuration words in one record,
    // EEPROM words, erased words past the program memory, one word of real data there.
    ASSERT_EQ(load(hexFile({record(0, 0, {0x83, 0x16, 0x05, 0x28}),
                            ":1040000001000A0002000B00FF3FFF3FFF3FF23FAD",
                            record(0, 0x4200, {0x12, 0, 0x34, 0}),
                            record(0, 0x0800, {0xFF, 0x3F, 0xFF, 0xFF}), // erased: a tool's fill
                            record(0, 0x0900, {0x34, 0x12})}),
                   HexReader::PicWords, chips::kPic16F84),
              HexError::None);
    EXPECT_EQ(report.kind, LoadReport::Hex);
    EXPECT_EQ(report.placed, (std::vector<Extent>{{ImageArea::Program, 0, 3}, {ImageArea::Id, 8, 11},
                                                  {ImageArea::Config, 0, 1}, {ImageArea::Data, 0, 1}}));
    EXPECT_EQ(report.placedBytes, 12u);
    EXPECT_EQ(report.droppedBytes, 4u + 6 + 2 + 4); // ID high bytes, words 0x2004..0x2006, EEPROM high bytes, fill
    EXPECT_EQ(report.outsideBytes, 2u);
    EXPECT_EQ(report.firstOutside, 0x900u);
    EXPECT_EQ(img->configBlock[0], 0xF2);

    // The erased word is the part's own width: a 14-bit one is data to a 12-bit part,
    // and so is anything at the 14-bit upper addresses.
    ASSERT_EQ(load(hexFile({record(0, 0x0500, {0xFF, 0x0F, 0xFF, 0x3F}), record(0, 0x400C, {0x60, 0x05})}),
                   HexReader::PicWords, chips::kPic12C508),
              HexError::None);
    EXPECT_EQ(report.droppedBytes, 3u);
    EXPECT_EQ(report.outsideBytes, 3u);
    EXPECT_EQ(report.firstOutside, 0x503u);

    // PIC18: the device ID is left out, a configuration byte past the fourteen is not.
    ASSERT_EQ(load(hexFile({record(4, 0, {0, 0x3F}), record(0, 0xFFFE, {0x42, 0x04}), record(4, 0, {0, 0x30}),
                            record(0, 0x000C, {0x40, 0x0F, 0x12})}),
                   HexReader::Pic18, chips::kPic18F452),
              HexError::None);
    EXPECT_EQ(report.placed, (std::vector<Extent>{{ImageArea::Config, 12, 13}}));
    EXPECT_EQ(report.droppedBytes, 2u);
    EXPECT_EQ(report.outsideBytes, 1u);
    EXPECT_EQ(report.firstOutside, 0x30000Eu);

    // Byte-addressed parts: an erased byte past the memory is fill, any other is data.
    ASSERT_EQ(load(hexFile({record(0, 0x0FFE, {1, 2, 0xFF, 3}), record(4, 0, {0, 1}), record(0, 0, {0xFF})})),
              HexError::None);
    EXPECT_EQ(report.placed, (std::vector<Extent>{{ImageArea::Program, 0xFFE, 0xFFF}}));
    EXPECT_EQ(report.droppedBytes, 2u);
    EXPECT_EQ(report.firstOutside, 0x1001u);
    EXPECT_FALSE(report.empty());
    ASSERT_EQ(load(kEndRecord + "\n"), HexError::None);
    EXPECT_TRUE(report.empty());
}

} // namespace
} // namespace kestro
