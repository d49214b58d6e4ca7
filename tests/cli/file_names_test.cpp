// The files kestro-cli writes are the files it is told to write, in the format their
// names say; a malformed Intel HEX file is named with its line.

#include "cli_fixture.h"

#include "buffers/hex_reader.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestro {
namespace {

using test::Bytes;

struct FileNames : test::CliTest {
    // The image an Intel HEX file holds for a part that is no PIC.
    Bytes hexImage(const std::string& file, int device, uint32_t size) {
        auto img = std::make_unique<Images>();
        EXPECT_EQ(loadIntelHex(HexReader::Bytes, path(file), *img, test::deviceAt(device)), HexError::None);
        return test::slice(img->program, 0, size);
    }
};

TEST_F(FileNames, AHexNameWritesIntelHexForEveryPartAndAnyOtherNameABinaryImage) {
    socket("AT89C52");
    fillPattern(env.adapter.chip.memory);
    auto r = run({"-p", "AT89C52", "--no-waits", "read", path("out.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.hex"});
    EXPECT_EQ(hexImage("out.hex", chips::kAt89C52, 8192), env.adapter.chip.memory);
    EXPECT_EQ(run({"-p", "AT89C52", "--no-waits", "verify", path("out.hex")}).code, 0);

    // Past 64 KiB the records follow an extended linear address record.
    socket("27C010");
    fillPattern(env.adapter.chip.memory);
    r = run({"-p", "27C010", "--no-waits", "read", path("big.ihx")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string big = test::readFile(path("big.ihx"));
    const size_t upper = big.find(":020000040001F9\r\n");
    EXPECT_EQ(upper, big.find(":10FFF000") + 45);
    EXPECT_EQ(upper, big.rfind(":02000004"));
    EXPECT_EQ(hexImage("big.ihx", chips::k27C010, 131072), env.adapter.chip.memory);

    // A PIC under a binary name: the words as the chip holds them, the EEPROM beside.
    socket("PIC16F84");
    fillPattern(env.adapter.chip.data);
    r = run({"-p", "PIC16F84", "--no-waits", "read", path("pic.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("pic.hex")));
    EXPECT_EQ(test::readBytes(path("pic.bin")).size(), 2048u);
    EXPECT_EQ(test::readBytes(path("pic.eep")), env.adapter.chip.data);
    EXPECT_EQ(run({"-p", "PIC16F84", "--no-waits", "verify", path("pic.bin")}).code, 0);

    // A byte-addressed HEX file holds one memory, and says which; an image never takes
    // the name of its own side file.
    socket("ATMEGA8515");
    r = run({"-p", "ATMEGA8515", "--no-waits", "read", path("avr.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("avr.hex holds the program memory; --data reads the data memory"), std::string::npos)
        << r.err;
    r = run({"-p", "ATMEGA8515", "--no-waits", "read", path("avr.eep")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("the ATMEGA8515's data memory goes to a .eep file beside its image"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("avr.eep")));

    // --diff names a file like any other.
    socket("27C256");
    test::writeFile(path("ones.bin"), Bytes(300, 0x01));
    r = run({"-p", "27C256", "--no-waits", "verify", path("ones.bin"), "--diff", path("d.txt")});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(test::readBytes(path("d.txt")), env.adapter.chip.memory);
    EXPECT_FALSE(std::filesystem::exists(path("d.bin")));
}

TEST_F(FileNames, AHexFileOfARangeHoldsOnlyTheRange) {
    socket("24C02");
    fillPattern(env.adapter.chip.memory);
    auto r = run({"-p", "24C02", "--no-waits", "--range", "000010:00008F", "read", path("w.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string text = test::readFile(path("w.hex"));
    EXPECT_EQ(text.find(":10001000"), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 9) << text; // 8 records of 16, the end
    const Bytes image = hexImage("w.hex", chips::k24C02, 256);
    EXPECT_TRUE(test::erased(image, 0, 0x10));
    EXPECT_EQ(test::slice(image, 0x10, 0x90), test::slice(env.adapter.chip.memory, 0x10, 0x90));
    EXPECT_TRUE(test::erased(image, 0x90));

    r = run({"-p", "AT89C52", "--range", "000000:0000FF", "read", path("x.hex")});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--range: ranges apply to memory chips, not to microcontrollers such as the AT89C52"),
              std::string::npos)
        << r.err;
}

TEST_F(FileNames, AMalformedHexFileIsNamedWithItsLine) {
    socket("AT89C52");
    std::string text;
    for (uint16_t a = 0; a < 64; a += 16) text += test::record(0, a, test::pattern(16, a)) + "\r\n";
    std::string bad = test::record(0, 0x40, {1, 2});
    bad.back() = bad.back() == '0' ? '1' : '0';
    const struct {
        std::string tail;
        const char* says;
    } cases[] = {
        {bad + "\r\n" + test::kEndRecord + "\r\n", "Incorrect file !\nChecksum error in file\n{file}:5: checksum error"},
        {":0200400001x2\n", "Incorrect file !\nHex digit expected\n{file}:5: hex digit expected"},
        {"\n" + test::kEndRecord, "Incorrect file !\nExpected ':'\n{file}:5: ':' expected"},
        {"", "Incorrect file !\nExpected ':'\n{file}:5: the file ends without an end record"},
        {":020040", "Incorrect file !\nUnexpected EOF\n{file}:5: unexpected end of file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        test::writeFile(path("fw.hex"), text + c.tail);
        const auto r = run({"-p", "AT89C52", "--no-waits", "write", path("fw.hex")});
        EXPECT_EQ(r.code, 3);
        std::string says = c.says;
        says.replace(says.find("{file}"), 6, path("fw.hex"));
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace kestro
