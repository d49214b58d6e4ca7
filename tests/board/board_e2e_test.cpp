// kestro-cli against kestro-board: the program, unchanged, drives the open adapter's
// firmware on the simulated board, and the chip in its socket ends up holding what
// the program wrote. The board ends with status 0 only when no received byte was lost
// and no chip saw a fault.

#include "devices/catalogue.h"
#include "link/port_path.h"
#include "support/child_process.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path writeFile(const std::string& name, const Bytes& bytes) {
    const fs::path path = test::testConfigDir().parent_path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes randomImage(size_t n, const std::string& seed) {
    std::seed_seq seq(seed.begin(), seed.end());
    std::mt19937 random(seq);
    Bytes v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(random());
    return v;
}

// kestro-board's pattern memory: byte i holds i ^ (i >> 8).
Bytes pattern(size_t n) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i ^ (i >> 8));
    return v;
}

size_t sizeOf(const std::string& part) { return chipRow(*findDeviceByName(part)).dataSize; }

// kestro-board on COM1 of the test's config folder, saving its chip beside it.
class BoardProcess {
  public:
    explicit BoardProcess(const std::string& chip, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--port", "COM1",        "--chip",
                                      chip,     "--save-chip", prefix_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        child_ = std::make_unique<test::Child>(KESTRO_BOARD_PROGRAM, args);
        for (int i = 0; i < 500 && !fs::exists(portLinkPath("COM1")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(fs::exists(portLinkPath("COM1"))) << "kestro-board did not come up";
    }
    ~BoardProcess() {
        if (child_) stop();
    }
    test::ChildResult stop() {
        ::kill(child_->pid(), SIGTERM);
        auto r = child_->finish();
        child_.reset();
        return r;
    }
    Bytes chip() const { return readFile(prefix_.string() + ".mem"); }

  private:
    fs::path prefix_ = test::testConfigDir().parent_path() / "chip";
    std::unique_ptr<test::Child> child_;
};

struct Run {
    test::ChildResult result;
    double seconds;
};

Run cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"-P", "COM1"});
    const auto t0 = Clock::now();
    auto r = test::runChild(KESTRO_CLI_PROGRAM, args);
    return {r, std::chrono::duration<double>(Clock::now() - t0).count()};
}

// Ends the board and checks it saw no fault.
Bytes stopCleanly(BoardProcess& board) {
    const auto r = board.stop();
    EXPECT_EQ(r.status, 0) << "kestro-board: " << r.err;
    return board.chip();
}

// Without the built firmware (KESTRO_FIRMWARE off) there is no board to run.
class Board : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef KESTRO_FIRMWARE_BUILT
        GTEST_SKIP() << "the firmware is not built";
#endif
    }
};

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
        if (f == Family::ThreeWireEeprom || f == Family::TwoWireEeprom || f == Family::SpiEeprom ||
            f == Family::Eeprom59Cxx || f == Family::Pcf8582)
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
