// kestro-cli's files: a malformed Intel HEX file is named with its line.

#include "cli_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::Bytes;

struct FileNames : test::CliTest {};

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
