#include "buffers/hex_reader.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kestro {
namespace {

using test::hexFile;
using test::record;

struct HexRead : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    test::TempDir dir;

    HexError load(HexReader r, int device, const std::string& text) {
        const auto* p = reinterpret_cast<const uint8_t*>(text.data());
        return loadIntelHex(r, std::span<const uint8_t>(p, text.size()), *img, test::deviceAt(device));
    }
    HexError bytes(const std::string& text) { return load(HexReader::Bytes, test::kAt89c51, text); }
    bool allFF(size_t from, size_t to) const {
        return std::all_of(img->program.begin() + static_cast<long>(from),
                           img->program.begin() + static_cast<long>(to), [](uint8_t v) { return v == 0xFF; });
    }
};

TEST_F(HexRead, MessagesAreExact) {
    EXPECT_STREQ(hexErrorMessage(HexError::CantOpen), "Can't Open File !");
    EXPECT_STREQ(hexErrorMessage(HexError::ExpectedColon), "Incorrect file !\nExpected ':'");
    EXPECT_STREQ(hexErrorMessage(HexError::HexDigitExpected), "Incorrect file !\nHex digit expected");
    EXPECT_STREQ(hexErrorMessage(HexError::UnexpectedEof), "Incorrect file !\nUnexpected EOF");
    EXPECT_STREQ(hexErrorMessage(HexError::Checksum), "Incorrect file !\nChecksum error in file");
}

TEST_F(HexRead, LineEndsAndTheEndOfTheFile) {
    const std::string data = record(0, 0x0100, {1, 2, 3});
    // The last line may lack its line end; whatever follows the end record is not read.
    EXPECT_EQ(bytes(data + "\n" + test::kEndRecord), HexError::None);
    EXPECT_EQ(img->program[0x102], 3);
    EXPECT_EQ(bytes(data + "\n" + test::kEndRecord + "\ngarbage\n\n"), HexError::None);
    // LF and CR LF files load to the same images.
    EXPECT_EQ(bytes(hexFile({data, record(0, 0x10, {9})}, "\r\n")), HexError::None);
    const auto crlf = *img;
    EXPECT_EQ(bytes(hexFile({data, record(0, 0x10, {9})}, "\n")), HexError::None);
    EXPECT_EQ(img->program, crlf.program);
    // A CR that is not part of a line end is an ordinary character.
    EXPECT_EQ(bytes(":0301\r00000102030F\n" + test::kEndRecord), HexError::HexDigitExpected);
}

TEST_F(HexRead, MalformedFilesStopWithTheirMessageAndKeepWhatWasRead) {
    const std::string first = record(0, 0x0000, {0xAA, 0xBB});
    struct Case {
        std::string text;
        HexError error;
    } cases[] = {
        {first + "\n", HexError::ExpectedColon},                                // no end record
        {first + "\n" + record(0, 2, {0xAB}).substr(0, 9) + "ab", HexError::HexDigitExpected}, // lower case
        {first + " \n" + test::kEndRecord, HexError::ExpectedColon},            // trailing space
        {first + "\n\n" + test::kEndRecord, HexError::ExpectedColon},           // empty line
        {first + "\n:0380000001", HexError::UnexpectedEof}, // end inside a byte
        {first + "\n:0380000001A", HexError::UnexpectedEof},
        {first + "\n:01800000CC00\n" + test::kEndRecord, HexError::Checksum},
        {first + "\nx" + test::kEndRecord, HexError::ExpectedColon},
    };
    for (const auto& c : cases) {
        img->program.fill(0);
        EXPECT_EQ(bytes(c.text), c.error) << c.text;
        // No rollback: the first record is stored, the rest of the images was cleared.
        EXPECT_EQ(img->program[0], 0xAA) << c.text;
        EXPECT_EQ(img->program[1], 0xBB) << c.text;
        EXPECT_TRUE(allFF(2, 0x8000)) << c.text;
    }
    EXPECT_EQ(bytes(""), HexError::ExpectedColon);
    EXPECT_EQ(bytes(record(0, 0, {0x12}).substr(0, 9) + "1a"), HexError::HexDigitExpected);
}

TEST_F(HexRead, MissingFileLeavesClearedImages) {
    img->program.fill(0);
    img->data.fill(0);
    img->idBlock.fill(0);
    img->configBlock.fill(0);
    const SelectedDevice dev = test::deviceAt(test::kAt90s2313);
    for (const std::string& path : {dir / "missing.hex", dir.path()}) {
        EXPECT_EQ(loadIntelHex(HexReader::Bytes, path, *img, dev), HexError::CantOpen) << path;
        EXPECT_TRUE(allFF(0, kProgramBufferSize));
        EXPECT_TRUE(std::all_of(img->data.begin(), img->data.end(), [](uint8_t v) { return v == 0xFF; }));
        EXPECT_EQ(img->idBlock[0], 0xFF);
        EXPECT_EQ(img->configBlock[15], 0xFF);
    }
}

TEST_F(HexRead, FileReadingMatchesMemoryAcrossTheBufferBoundary) {
    // Find a first record length that puts the CR of a CR LF pair on the last byte
    // of the first 32 KiB read, so that its LF arrives with the next read.
    std::string text;
    for (size_t n = 1; n < 200; ++n) {
        text = record(0, 0x8000, test::pattern(n, 1)) + "\r\n";
        for (uint32_t a = 0; text.size() < 40000; a += 16)
            text += record(0, static_cast<uint16_t>(a), test::pattern(16, a)) + "\r\n";
        text += test::kEndRecord + "\r\n";
        if (text[32767] == '\r') break;
    }
    ASSERT_EQ(text[32767], '\r');
    test::writeFile(dir / "big.hex", text);
    const SelectedDevice dev = test::deviceAt(test::kAt89c51);
    ASSERT_EQ(loadIntelHex(HexReader::Bytes, dir / "big.hex", *img, dev), HexError::None);
    const auto fromFile = img->program;
    ASSERT_EQ(bytes(text), HexError::None);
    EXPECT_EQ(img->program, fromFile);
}

TEST_F(HexRead, ByteReaderPlacesEveryByteAtItsAddress) {
    // Data beyond the device's sizes is stored; non-PIC devices leave the data buffer
    // and the fuse bytes alone.
    ASSERT_EQ(load(HexReader::Bytes, test::kAt90s2313,
                   hexFile({record(0, 0xFFFE, {1, 2, 3, 4}), record(0x07, 0x0010, {5})})),
              HexError::None);
    EXPECT_EQ(img->program[0xFFFE], 1);
    EXPECT_EQ(img->program[0x10001], 4); // a record may run past 64 KiB
    EXPECT_EQ(img->program[0x10], 5);    // unknown record types hold data
    EXPECT_TRUE(std::all_of(img->data.begin(), img->data.end(), [](uint8_t v) { return v == 0xFF; }));
    EXPECT_EQ(img->configBlock[0], 0xFF);
    EXPECT_EQ(img->idBlock[0], 0xFF);

    // A leading extended address of 0 changes nothing, even without a record for 0000.
    ASSERT_EQ(bytes(hexFile({record(4, 0, {0, 0}), record(0, 0x20, {7})})), HexError::None);
    EXPECT_TRUE(allFF(0, 0x20));
    EXPECT_EQ(img->program[0x20], 7);
}

TEST_F(HexRead, ByteReaderFollowsExtendedAddresses) {
    ASSERT_EQ(load(HexReader::Bytes, test::k29f800,
                   hexFile({record(4, 0, {0x00, 0x0F}), record(0, 0xFFFF, {0xA1}),
                            record(2, 0, {0x80, 0x00}), record(0, 0x0002, {0xB2}),
                            record(4, 0, {0x00, 0x10}), record(0, 0, {0xC3}),   // past 1 MiB: dropped
                            record(3, 0, {0, 0, 1, 0}), record(5, 0, {0, 0, 0, 4}), // start addresses
                            record(4, 0, {0xFF, 0xFF}), record(0, 0xFFFF, {0xE5, 0xE6}), // top of 4 GiB
                            record(4, 0, {0x00, 0x00}), record(0, 0x0001, {0xD4})})),
              HexError::None);
    EXPECT_EQ(img->program[0xFFFFF], 0xA1);
    EXPECT_EQ(img->program[0x80002], 0xB2);
    EXPECT_EQ(img->program[0], 0xFF); // no address or start record lands at 0000
    EXPECT_EQ(img->program[1], 0xD4);
    EXPECT_EQ(img->program[2], 0xFF);
    EXPECT_EQ(img->program[3], 0xFF);
}

TEST_F(HexRead, PicWordReaderUpperAreas) {
    ASSERT_EQ(load(HexReader::PicWords, test::kPic16f84,
                   hexFile({record(0, 0, {0x83, 0x16, 0xFF, 0x3F}),
                            record(0, 0x4000, {1, 0xA0, 2, 0xA0, 3, 0xA0, 4, 0xA0}),
                            record(0, 0x400E, {0xF2, 0x3F}), record(0, 0x4200, {0x12, 0x00, 0x34, 0x00}),
                            record(0, 0x4210, {0x56, 0x77}), record(0, 0x4100, {9, 9})})),
              HexError::None);
    // Program words stay in file order; the swap is the caller's step.
    EXPECT_EQ(img->program[0], 0x83);
    EXPECT_EQ(img->program[1], 0x16);
    EXPECT_EQ(img->configBlock[0], 0xF2);
    EXPECT_EQ(img->configBlock[1], 0x3F);
    EXPECT_EQ(img->data[0], 0x12);
    EXPECT_EQ(img->data[1], 0x34);
    EXPECT_EQ(img->data[8], 0x56); // (0x4210 - 0x4200) / 2; the high byte is dropped
    EXPECT_EQ(img->data[9], 0xFF);
    const std::array<uint8_t, 6> id = {0x12, 0x34, 1, 2, 3, 4};
    EXPECT_EQ(img->idBlock[0], id[0]); // packed: one digit per ID word
    EXPECT_EQ(img->idBlock[1], id[1]);
    for (size_t k = 0; k < 4; ++k) EXPECT_EQ(img->idBlock[8 + k], id[2 + k]);
    EXPECT_EQ(img->idBlock[2], 0xFF);
    EXPECT_EQ(img->program[0x4100], 0xFF); // another upper address: checked, not stored

    // Packing keeps the low 8 bits; an odd byte count eats the checksum.
    ASSERT_EQ(load(HexReader::PicWords, test::kPic16f84,
                   hexFile({record(0, 0x4000, {0x12, 0, 0x34, 0, 0x0F, 0, 0x10, 0})})),
              HexError::None);
    EXPECT_EQ(img->idBlock[0], 0x54);
    EXPECT_EQ(img->idBlock[1], 0x00);
    EXPECT_EQ(load(HexReader::PicWords, test::kPic16f84, hexFile({record(0, 0, {1, 2, 3})})),
              HexError::Checksum);
}

TEST_F(HexRead, PicWordReaderKeepsUpperEepromAndDropsOverlongBlocks) {
    std::vector<uint8_t> config(20), id(40);
    for (size_t i = 0; i < config.size(); ++i) config[i] = static_cast<uint8_t>(0x80 + i);
    for (size_t i = 0; i < id.size(); ++i) id[i] = static_cast<uint8_t>(i);
    img->view = DataView;
    ASSERT_EQ(load(HexReader::PicWords, test::kPic16f877,
                   hexFile({record(0, 0x400E, config), record(0, 0x4000, id),
                            record(0, 0x43FE, {0xEE, 0}), record(0, 0x0010, {0x55, 0x01})})),
              HexError::None);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(img->configBlock[i], 0x80 + i);
    for (size_t k = 0; k < 8; ++k) EXPECT_EQ(img->idBlock[8 + k], 2 * k); // even bytes only
    EXPECT_EQ(img->view, DataView); // nothing past the blocks was written
    EXPECT_EQ(img->data[255], 0xEE); // the last EEPROM byte of a 256-byte device
    EXPECT_EQ(img->program[0x10], 0x55); // records after the long ones still load
}

TEST_F(HexRead, TwelveBitCoreTakesIdAndConfigurationFromTheProgramBuffer) {
    // PIC12C508: 512 words, ID words at file bytes 0x400..0x407.
    ASSERT_EQ(load(HexReader::PicWords, test::kPic12c508,
                   hexFile({record(0, 0x0400, {0x0A, 0, 0x0B, 0, 0x0C, 0, 0x0D, 0}),
                            record(0, 0x1FFE, {0xEA, 0x0F})})),
              HexError::None);
    EXPECT_EQ(img->idBlock[8], 0x0A);
    EXPECT_EQ(img->idBlock[11], 0x0D);
    EXPECT_EQ(img->idBlock[0], 0xAB);
    EXPECT_EQ(img->idBlock[1], 0xCD);
    EXPECT_EQ(img->configBlock[0], 0xEA);
    EXPECT_EQ(img->configBlock[1], 0x0F);
    // Without an end record neither the copy nor the packing happens.
    EXPECT_EQ(load(HexReader::PicWords, test::kPic12c508,
                   record(0, 0x0400, {0x0A, 0, 0x0B, 0, 0x0C, 0, 0x0D, 0}) + "\n"),
              HexError::ExpectedColon);
    EXPECT_EQ(img->idBlock[8], 0xFF);
    EXPECT_EQ(img->idBlock[0], 0xFF);
}

TEST_F(HexRead, Pic18UpperAreaAppliesToExactlyOneRecord) {
    std::vector<uint8_t> config(14), id = {1, 2, 3, 4, 5, 6, 7, 8};
    for (size_t i = 0; i < config.size(); ++i) config[i] = static_cast<uint8_t>(0x40 + i);
    ASSERT_EQ(load(HexReader::Pic18, test::kPic18f452,
                   hexFile({record(4, 0, {0, 0}), record(0, 0x0100, {0x12, 0xEF}),
                            record(4, 0, {0, 0x30}), record(0, 0x0000, config),
                            record(0, 0x0004, {0xAB, 0xCD}), // back in program memory
                            record(4, 0, {0, 0x20}), record(0, 0x0008, id),
                            record(4, 0, {0, 0x30}), record(4, 0, {0x00, 0x01}), // selection stays
                            record(0, 0x0000, {0x99, 0x98}), record(4, 0, {0, 0x01}),
                            record(0, 0x0010, {0x77, 0x66})})),
              HexError::None);
    EXPECT_EQ(img->program[0x100], 0x12);
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(img->configBlock[i], i == 0 ? 0x99 : i == 1 ? 0x98 : 0x40 + i);
    EXPECT_EQ(img->program[4], 0xAB);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(img->idBlock[i], i + 1); // own address ignored
    EXPECT_EQ(img->program[0x10], 0x77); // upper 0x0001 lands at the 16-bit address
    EXPECT_EQ(img->program[0], 0xFF);

    // Overlong area records drop their surplus; other types fail the checksum.
    std::vector<uint8_t> longRecord(32, 0x5A);
    img->view = DataView;
    ASSERT_EQ(load(HexReader::Pic18, test::kPic18f452,
                   hexFile({record(4, 0, {0, 0x20}), record(0, 0, longRecord), record(0, 2, {1, 2})})),
              HexError::None);
    EXPECT_EQ(img->idBlock[15], 0x5A);
    EXPECT_EQ(img->configBlock[0], 0xFF);
    EXPECT_EQ(img->view, DataView);
    EXPECT_EQ(img->program[2], 1);
    EXPECT_EQ(load(HexReader::Pic18, test::kPic18f452, hexFile({record(2, 0, {0x10, 0})})),
              HexError::Checksum);
}

TEST_F(HexRead, ReaderFollowsTheDeviceGroup) {
    EXPECT_EQ(hexReaderFor(45), HexReader::Bytes);
    EXPECT_EQ(hexReaderFor(46), HexReader::PicWords);
    EXPECT_EQ(hexReaderFor(91), HexReader::PicWords);
    EXPECT_EQ(hexReaderFor(92), HexReader::Pic18);
    EXPECT_EQ(hexReaderFor(101), HexReader::Pic18);
    EXPECT_EQ(hexReaderFor(102), HexReader::Bytes);
    EXPECT_EQ(hexReaderFor(196), HexReader::Bytes);
}

} // namespace
} // namespace kestro
