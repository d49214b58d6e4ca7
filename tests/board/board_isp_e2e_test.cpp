// kestro-cli against kestro-board with a microcontroller in the socket: files as
// avr-gcc and sdcc write them end up in the chip as avr-objcopy and srec_cat read
// them, the fuses come back as written, a locked chip reads as the datasheet says,
// identification names the chip found, and a chip that cannot answer fails cleanly.

#include "board/board_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace kestro {
namespace {

using namespace board_test;

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class BoardIsp : public Board {
  protected:
    fs::path dir() const { return test::testConfigDir().parent_path(); }
    std::string path(const std::string& name) const { return (dir() / name).string(); }
    void sh(const std::string& command) {
        const int status =
            std::system(("cd " + dir().string() + " && " + command + " >build.log 2>&1").c_str());
        const Bytes log = readFile(path("build.log"));
        ASSERT_EQ(status, 0) << command << "\n" << std::string(log.begin(), log.end());
    }
    void source(const std::string& name, const std::string& text) {
        std::ofstream(path(name)) << text;
    }
    // The bytes avr-objcopy or srec_cat write to out.bin, padded with 0xFF to `size`.
    Bytes extracted(const std::string& command, size_t size) {
        sh(command);
        Bytes b = readFile(path("out.bin"));
        b.resize(size, 0xFF);
        return b;
    }
    Bytes ihxBytes(const std::string& ihx, size_t size) {
        const std::string n = std::to_string(size);
        return extracted("srec_cat " + ihx + " -intel -crop 0 " + n + " -fill 0xFF 0 " + n +
                             " -o out.bin -binary",
                         size);
    }
    // A run that must succeed.
    void ok(std::vector<std::string> args) {
        const auto r = cli(std::move(args));
        EXPECT_EQ(r.result.status, 0) << r.result.err;
    }
    Bytes readBack(const std::string& part, bool data = false) {
        std::vector<std::string> args{"-p", part, "-q", "--yes"};
        if (data) args.push_back("--data");
        args.insert(args.end(), {"read", path("back.bin")});
        ok(args);
        return readFile(path("back.bin"));
    }
};

#define NEED_TOOLS(...)                                                                            \
    for (const char* tool : {__VA_ARGS__})                                                         \
        if (!have(tool)) GTEST_SKIP() << tool << " is not installed";

TEST_F(BoardIsp, AnAtmega8515FromAnAvrGccElfWithEepromAndFusesThenLocked) {
    NEED_TOOLS("avr-gcc", "avr-objcopy");
    source("fw.c", R"(
#include <avr/io.h>
#include <avr/eeprom.h>
#include <avr/fuse.h>
FUSES = {.low = 0xE4, .high = 0xD1};
uint8_t EEMEM text[47] = "EEPROM bytes of an ATmega8515 from EEMEM data.";
volatile uint8_t ram = 3;
int main(void) {
    DDRB = 0xFF;
    for (;;) PORTB = eeprom_read_byte(&text[ram]);
}
)");
    sh("avr-gcc -mmcu=atmega8515 -Os -o fw.elf fw.c");
    const Bytes flash = extracted("avr-objcopy -j .text -j .data -O binary fw.elf out.bin", 8192);
    const Bytes eeprom = extracted(
        "avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O binary fw.elf out.bin", 512);

    BoardProcess board("ATMEGA8515");
    ok({"-p", "ATMEGA8515", "-q", "program", path("fw.elf"), "--data-memory"});
    const auto fuses = cli({"-p", "ATMEGA8515", "read-fuses"});
    EXPECT_NE(fuses.result.out.find("configuration E4 D1"), std::string::npos)
        << fuses.result.out << fuses.result.err;
    ok({"-p", "ATMEGA8515", "-q", "lock", "--fuse", "LB1=on", "--fuse", "LB2=on"});
    EXPECT_EQ(readBack("ATMEGA8515"), Bytes(8192, 0xFF)) << "verification is locked";
    EXPECT_EQ(stopCleanly(board), flash);
    EXPECT_EQ(board.saved(".data"), eeprom);
    EXPECT_EQ(board.saved(".fuses"), (Bytes{0xE4, 0xD1, 0xFF, 0xFF}));
    EXPECT_EQ(board.saved(".lock"), Bytes{0xC3});
}

TEST_F(BoardIsp, AnAt90s2313FromABinaryWithItsEepAndFusThenLocked) {
    const Bytes image = randomImage(2048, "2313"), eeprom = randomImage(128, "2313 eep");
    const auto file = writeFile("fw.bin", image);
    writeFile("fw.eep", eeprom);
    // The side file's sense: SPI enable checked (bit 5 set), the long start-up not.
    writeFile("fw.fus", {0xFE, 0xFF});
    BoardProcess board("AT90S2313");
    // Serial programming cannot reach the start-up fuse, which the panel has programmed
    // unless told: the board's firmware refuses to promise it.
    ok({"-p", "AT90S2313", "-q", "program", file.string(), "--data-memory", "--fuse",
        "Start up timer 16ms / 1ms=off"});
    ok({"-p", "AT90S2313", "-q", "lock"});
    EXPECT_EQ(readBack("AT90S2313", true), Bytes(128, 0xFF));
    EXPECT_EQ(stopCleanly(board), image);
    EXPECT_EQ(board.saved(".data"), eeprom);
    EXPECT_EQ(board.saved(".fuses"), (Bytes{0xDF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(board.saved(".lock"), Bytes{3}) << "LB1 and LB2";
}

TEST_F(BoardIsp, AnAt89s52FromAnSdccIhxInOneEraseWriteVerifyLockChain) {
    NEED_TOOLS("sdcc", "srec_cat");
    source("fw.c", R"(
#include <8051.h>
__code const unsigned char table[] = {1, 2, 4, 8, 16, 32, 64, 128, 0x55, 0xAA};
unsigned char counter = 7;
void main(void) {
    for (;;) P1 = table[(P3 + counter++) & 7];
}
)");
    sh("sdcc -mmcs51 fw.c");
    const Bytes code = ihxBytes("fw.ihx", 8192);
    BoardProcess board("AT89S52", {"--memory", "pattern"});
    ok({"-p", "AT89S52", "-q", "erase", "write", path("fw.ihx"), "verify", "lock"});
    EXPECT_EQ(readBack("AT89S52"), Bytes(8192, 0xFF));
    EXPECT_EQ(stopCleanly(board), code);
    EXPECT_EQ(board.saved(".lock"), Bytes{7});
}

TEST_F(BoardIsp, AnAt89s8252TakesItsProgramAndItsDataEepromFromSdccIhxFiles) {
    NEED_TOOLS("sdcc", "srec_cat");
    source("fw.c", R"(
#include <8051.h>
void main(void) {
    for (;;) P1 = P3;
}
)");
    source("data.c", R"(
__code __at(0x0200) const unsigned char eeprom[] = "data EEPROM of an AT89S8252";
void main(void) {}
)");
    sh("sdcc -mmcs51 fw.c && sdcc -mmcs51 data.c");
    const Bytes code = ihxBytes("fw.ihx", 8192), data = ihxBytes("data.ihx", 2048);
    // The program reads an 8051's Intel HEX into the program memory only: the data
    // EEPROM takes the same bytes as a binary.
    const auto dataFile = writeFile("data.bin", data);
    BoardProcess board("AT89S8252");
    // Its serial instructions read no signature: yes to the unknown one.
    ok({"-p", "AT89S8252", "-q", "--yes", "write", path("fw.ihx"), "verify"});
    ok({"-p", "AT89S8252", "-q", "--yes", "--data", "write", dataFile.string(), "verify"});
    ok({"-p", "AT89S8252", "-q", "--yes", "lock"});
    EXPECT_EQ(readBack("AT89S8252", true), Bytes(2048, 0xFF));
    EXPECT_EQ(stopCleanly(board), code);
    EXPECT_EQ(board.saved(".data"), data);
    EXPECT_EQ(board.saved(".lock"), Bytes{7});
}

TEST_F(BoardIsp, IdentificationNamesTheAtmega8515FoundWhereTheAt90s8515WasSelected) {
    BoardProcess board("ATMEGA8515");
    const auto r = cli({"-p", "AT90S8515", "identify"});
    EXPECT_EQ(r.result.status, 6) << r.result.err;
    EXPECT_NE(r.result.err.find("ATMEGA8515"), std::string::npos) << r.result.err;
    stopCleanly(board);
}

TEST_F(BoardIsp, AnEmptySocketAndAnUnclockedChipFailCleanly) {
    struct Case {
        const char* chip;
        std::vector<std::string> board;
        const char* part;
    };
    for (const Case& c : {Case{"none", {}, "ATMEGA8515"}, Case{"none", {}, "AT89S52"},
                          Case{"AT90S2313", {"--no-clock"}, "AT90S2313"}}) {
        SCOPED_TRACE(std::string(c.chip) + " read as " + c.part);
        BoardProcess board(c.chip, c.board);
        // Yes to the unknown signature: the read itself must fail.
        const auto r = cli({"-p", c.part, "--yes", "read", path("x.bin")});
        EXPECT_NE(r.result.status, 0);
        EXPECT_LT(r.seconds, 20.0);
        EXPECT_NE(r.result.err.find(" !"), std::string::npos) << r.result.err;
        stopCleanly(board);
    }
}

} // namespace
} // namespace kestro
