// kestro-cli against kestro-board: the program, unchanged, drives the open adapter's
// firmware on the simulated board, and the chip in its socket ends up holding what
// the program wrote. The board ends with status 0 only when no received byte was lost
// and no chip saw a fault.

#include "board/board_process.h"
#include "devices/catalogue.h"
#include "link/port_path.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

namespace kestro {
namespace {

using namespace board_test;

class RoundTrip : public Board, public ::testing::WithParamInterface<const char*> {};

TEST_P(RoundTrip, WriteVerifyAndReadBringTheImageBackAndLeaveItInTheChip) {
    const std::string part = GetParam();
    const Bytes image = randomImage(sizeOf(part), part);
    const auto file = writeFile("image.bin", image);
    const auto back = file.parent_path() / "back.bin";
    BoardProcess board(part);
    const auto r = cli({"-p", part, "-q", "write", file.string(), "verify", "read", back.string()});
    EXPECT_EQ(r.result.status, 0) << r.result.err;
    EXPECT_EQ(readFile(back), image);
    EXPECT_EQ(stopCleanly(board), image);
}

// Both organisations of the 93C46, the widest 93Cxx, each 24Cxx addressing (one byte,
// block bits, two bytes), both 25Cxx addressings, a 59Cxx and the PCF8582.
INSTANTIATE_TEST_SUITE_P(Served, RoundTrip,
                         ::testing::Values("93C46_16", "93C46_8", "93C86", "24C02", "24C16",
                                           "24C256", "25C040", "25C640", "59C11", "PCF8582"));

TEST_F(Board, AMarkerRangeWithOddEndsWritesOnlyItsBytesWidenedToWordsOnA93C46x16) {
    struct Case {
        const char* part;
        size_t first, last;   // the range given
        size_t wFirst, wLast; // what the chip takes
    };
    for (const Case c :
         {Case{"24C16", 0x103, 0x2F6, 0x103, 0x2F6}, Case{"93C46_16", 0x03, 0x46, 0x02, 0x47}}) {
        SCOPED_TRACE(c.part);
        const size_t size = sizeOf(c.part);
        const Bytes image = randomImage(size, "range");
        const auto file = writeFile("image.bin", image);
        BoardProcess board(c.part, {"--memory", "pattern"});
        char range[32];
        std::snprintf(range, sizeof range, "%06zX:%06zX", c.first, c.last);
        const auto r =
            cli({"-p", c.part, "-q", "--range", range, "write", file.string(), "verify"});
        EXPECT_EQ(r.result.status, 0) << r.result.err;
        Bytes expected = pattern(size);
        std::copy(image.begin() + c.wFirst, image.begin() + c.wLast + 1,
                  expected.begin() + c.wFirst);
        EXPECT_EQ(stopCleanly(board), expected);
    }
}

TEST_F(Board, EraseLeavesTheThreeWireChipsBlank) {
    for (const char* part : {"93C46_16", "59C11"}) {
        SCOPED_TRACE(part);
        BoardProcess board(part, {"--memory", "pattern"});
        const auto r = cli({"-p", part, "-q", "erase"});
        EXPECT_EQ(r.result.status, 0) << r.result.err;
        EXPECT_EQ(stopCleanly(board), Bytes(sizeOf(part), 0xFF));
    }
}

TEST_F(Board, PartsAndPortsShowTheServedFamiliesOnTheBoardsPort) {
    BoardProcess board("24C02");
    const auto ports = cli({"ports"});
    EXPECT_EQ(ports.result.status, 0);
    EXPECT_NE(ports.result.out.find("COM1  " + portLinkPath("COM1").string()), std::string::npos)
        << ports.result.out;

    const auto parts = cli({"parts"});
    ASSERT_EQ(parts.result.status, 0) << parts.result.err;
    std::set<std::string> served, expected;
    std::istringstream lines(parts.result.out);
    for (std::string line; std::getline(lines, line);)
        if (line.ends_with(" yes")) served.insert(line.substr(0, line.find(' ')));
    for (int i = 0; i < kDeviceCount; ++i) {
        const Family f = *familyOf(i);
        // The microcontrollers by family: the 12 V and parallel ones among them are
        // refused by the firmware when an operation starts.
        if (f == Family::ThreeWireEeprom || f == Family::TwoWireEeprom || f == Family::SpiEeprom ||
            f == Family::Eeprom59Cxx || f == Family::Pcf8582 || f == Family::Flash8051Pin40 ||
            f == Family::At90s || f == Family::Avr)
            expected.insert(std::string(chipRow(i).name));
    }
    EXPECT_EQ(served, expected);
    stopCleanly(board);
}

TEST_F(Board, AnEmptySocketFailsCleanlyOnEveryBus) {
    BoardProcess board("none");
    for (const char* part : {"24C02", "93C46_16", "25C640"}) {
        SCOPED_TRACE(part);
        const auto r =
            cli({"-p", part, "read", (test::testConfigDir().parent_path() / "x.bin").string()});
        EXPECT_NE(r.result.status, 0);
        EXPECT_LT(r.seconds, 20.0);
        EXPECT_NE(r.result.err.find(" !"), std::string::npos)
            << r.result.err; // the program's own text
    }
    stopCleanly(board);
}

TEST_F(Board, ResetOnOpenFailsTheFirstExchangeAndWritesNothing) {
    // An Arduino whose DTR resets it: the bootloader takes what the program sends
    // first, the echo never comes.
    const Bytes image = randomImage(sizeOf("24C02"), "reset");
    const auto file = writeFile("image.bin", image);
    BoardProcess board("24C02", {"--reset-on-open"});
    const auto r = cli({"-p", "24C02", "write", file.string()});
    EXPECT_EQ(r.result.status, 5) << r.result.err;
    EXPECT_NE(r.result.err.find("Serial Communication Timeout Error !"), std::string::npos)
        << r.result.err;
    EXPECT_LT(r.seconds, 20.0);
    EXPECT_EQ(stopCleanly(board), Bytes(image.size(), 0xFF));
}

} // namespace
} // namespace kestro
