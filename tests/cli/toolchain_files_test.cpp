// Files as gpasm, sdcc and avr-gcc write them, built here from small sources, load and
// program exactly: the chip in the adapter double ends up holding the bytes another
// tool (srec_cat, avr-objcopy) reads out of the same file.

#include "cli/cli_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace kestro {
namespace {

using test::Bytes;

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

#define NEED_TOOL(tool) \
    if (!have(tool)) GTEST_SKIP() << tool << " is not installed (Debian package of the toolchain)"

struct Toolchain : test::CliTest {
    void sh(const std::string& command) {
        const std::string full = "cd " + dir.path + " && " + command + " >build.log 2>&1";
        ASSERT_EQ(std::system(full.c_str()), 0) << command << "\n" << test::readFile(path("build.log"));
    }
    // Bytes first..first+size of an Intel HEX file as srec_cat reads it, holes 0xFF.
    Bytes srecBytes(const std::string& hex, uint32_t first, uint32_t size) {
        const auto hexNumber = [](uint32_t v) { return "0x" + (std::stringstream() << std::hex << v).str(); };
        sh("srec_cat " + hex + " -intel -crop " + hexNumber(first) + " " + hexNumber(first + size) +
           " -offset -" + hexNumber(first) + " -fill 0xFF 0 " + hexNumber(size) + " -o slice.bin -binary");
        return test::readBytes(path("slice.bin"));
    }
    Bytes objcopySection(const std::string& elf, const std::string& args) {
        sh("avr-objcopy " + args + " -O binary " + elf + " section.bin");
        return test::readBytes(path("section.bin"));
    }
    static Bytes padded(Bytes b, size_t size) {
        b.resize(size, 0xFF);
        return b;
    }
    // PIC program words from file order (low byte first) to the chip's (high byte first).
    static Bytes swapped(Bytes b) {
        for (size_t i = 0; i + 1 < b.size(); i += 2) std::swap(b[i], b[i + 1]);
        return b;
    }
    void program(const char* part, const std::string& file) {
        socket(part);
        const auto r = run({"-p", part, "--no-waits", "program", path(file), "--data-memory"});
        ASSERT_EQ(r.code, 0) << r.err;
    }
    const SimChip& chip() const { return env.adapter.chip; }
};

TEST_F(Toolchain, Pic18ConfigDirectivesIdsAndDataEeprom) {
    NEED_TOOL("gpasm");
    NEED_TOOL("srec_cat");
    test::writeFile(path("fw.asm"), std::string(R"(
    LIST P=18F452
    #include <p18f452.inc>
    CONFIG OSC = HS, WDT = OFF, LVP = OFF, PWRT = ON, BOR = OFF, CP0 = ON
    ORG 0x200000
    DB 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88
    ORG 0xF00000
    DE "Data EEPROM of a PIC18, written by DE", 0
    ORG 0
    goto start
    ORG 0x40
start:
    movlw 0x55
    movwf PORTB
    bra start
    END
)"));
    sh("gpasm -q -o fw.hex fw.asm");
    program("PIC18F452", "fw.hex");
    const SelectedDevice dev = test::deviceAt(chips::kPic18F452);
    EXPECT_EQ(chip().memory, swapped(srecBytes("fw.hex", 0, dev.programSize)));
    EXPECT_EQ(chip().data, srecBytes("fw.hex", 0xF00000, dev.dataSize));
    // Read Fuse order: 8 ID bytes, then the 14 configuration bytes. gpasm writes the
    // bits the chip lacks as 0, the fuse panel's read-back before programming as 1:
    // the bits the PIC18F452 implements must match.
    EXPECT_EQ(test::slice(chip().fuses, 0, 8), srecBytes("fw.hex", 0x200000, 8));
    constexpr uint8_t kImplemented[14] = {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85,
                                          0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
    const Bytes config = srecBytes("fw.hex", 0x300000, 14);
    for (size_t k = 0; k < 14; ++k)
        EXPECT_EQ(chip().fuses[8 + k] & kImplemented[k], config[k] & kImplemented[k]) << "byte " << k;
    EXPECT_EQ(chip().fuses[8 + 8] & 1, 0); // CP0 = ON reached the chip: block 0 protected
}

TEST_F(Toolchain, Pic16IdAndConfigurationInOneRecord) {
    NEED_TOOL("gpasm");
    NEED_TOOL("srec_cat");
    test::writeFile(path("fw.asm"), std::string(R"(
    LIST P=16F84
    #include <p16f84.inc>
    __CONFIG _XT_OSC & _WDT_OFF & _PWRTE_ON & _CP_OFF
    __IDLOCS 0x1234
    ORG 0x2100
    DE 1, 2, 3, "EE"
    ORG 0
    bsf STATUS, RP0
    clrf TRISB
    bcf STATUS, RP0
loop:
    movlw 0x5A
    movwf PORTB
    goto loop
    END
)"));
    // The gap between the ID words and the configuration word filled, as srec_cat and
    // objcopy do when asked for whole records: one record 0x4000..0x400F.
    sh("gpasm -q -a inhx8m -o asm.hex fw.asm");
    sh("srec_cat asm.hex -intel -fill 0xFF 0x4008 0x400E -o fw.hex -intel");
    ASSERT_NE(test::readFile(path("fw.hex")).find(":10400000"), std::string::npos);
    program("PIC16F84", "fw.hex");
    const SelectedDevice dev = test::deviceAt(chips::kPic16F84);
    const Bytes words = srecBytes("fw.hex", 0, dev.programSize);
    for (size_t i = 0; i < dev.programSize; i += 2) { // blank words as the chip holds them
        EXPECT_EQ(chip().memory[i], words[i + 1] & 0x3F) << i;
        EXPECT_EQ(chip().memory[i + 1], words[i]) << i;
    }
    const Bytes config = srecBytes("fw.hex", 0x400E, 2), id = srecBytes("fw.hex", 0x4000, 8);
    const Bytes eeprom = srecBytes("fw.hex", 0x4200, 2 * dev.dataSize);
    EXPECT_EQ(test::slice(chip().fuses, 0, 2), config);
    EXPECT_EQ(chip().fuses[2], id[0] * 16 + id[2]); // the packed ID: one digit per word
    EXPECT_EQ(chip().fuses[3], id[4] * 16 + id[6]);
    for (size_t k = 0; k < dev.dataSize; ++k) EXPECT_EQ(chip().data[k], eeprom[2 * k]) << k;
}

TEST_F(Toolchain, SdccIhxProgramsItsRecords) {
    NEED_TOOL("sdcc");
    NEED_TOOL("srec_cat");
    test::writeFile(path("fw.c"), std::string(R"(
#include <8051.h>
__code const unsigned char table[] = {1, 2, 4, 8, 16, 32, 64, 128, 0x55, 0xAA};
unsigned char counter = 7;
void main(void) {
    for (;;) P1 = table[(P3 + counter++) & 7];
}
)"));
    sh("sdcc -mmcs51 fw.c");
    socket("AT89C51");
    const auto r = run({"-p", "AT89C51", "--no-waits", "write", path("fw.ihx"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    EXPECT_EQ(chip().memory, srecBytes("fw.ihx", 0, 4096));
}

TEST_F(Toolchain, AvrGccElfAndItsIntelHexEep) {
    NEED_TOOL("avr-gcc");
    NEED_TOOL("avr-objcopy");
    test::writeFile(path("fw.c"), std::string(R"(
#include <avr/io.h>
#include <avr/eeprom.h>
#include <avr/fuse.h>
#include <avr/signature.h>
FUSES = {.low = 0xE4, .high = 0xD9};
uint8_t EEMEM text[47] = "EEPROM bytes of an ATmega8515 from EEMEM data.";
volatile uint8_t ram = 3;
int main(void) {
    DDRB = 0xFF;
    for (;;) PORTB = eeprom_read_byte(&text[ram]);
}
)"));
    sh("avr-gcc -mmcu=atmega8515 -Os -o fw.elf fw.c");
    const SelectedDevice dev = test::deviceAt(27);
    const Bytes flash = objcopySection("fw.elf", "-j .text -j .data");
    const Bytes eeprom = objcopySection("fw.elf", "-j .eeprom --change-section-lma .eeprom=0");
    const Bytes fuses = objcopySection("fw.elf", "-j .fuse --change-section-lma .fuse=0");
    ASSERT_EQ(eeprom.size(), 47u);
    ASSERT_EQ(fuses.size(), 2u);

    program("ATMEGA8515", "fw.elf");
    EXPECT_EQ(chip().memory, padded(flash, dev.programSize));
    EXPECT_EQ(chip().data, padded(eeprom, dev.dataSize));
    EXPECT_EQ(test::slice(chip().fuses, 0, 2), fuses); // low fuse first, as the layout keeps them

    // The Makefile convention: a flash binary and the EEPROM as Intel HEX in fw.eep.
    sh("avr-objcopy -j .text -j .data -O binary fw.elf fw.bin");
    sh("avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex fw.elf fw.eep");
    program("ATMEGA8515", "fw.bin");
    EXPECT_EQ(chip().memory, padded(flash, dev.programSize));
    EXPECT_EQ(chip().data, padded(eeprom, dev.dataSize));

    // An ELF for another part: its signature is refused, nothing is programmed.
    sh("avr-gcc -mmcu=atmega8535 -Os -o other.elf fw.c");
    socket("ATMEGA8515");
    const auto r = run({"-p", "ATMEGA8515", "--no-waits", "program", path("other.elf")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("The ELF file's signature 1E 93 08 is not the ATMEGA8515's (1E 93 06)"), std::string::npos) << r.err;
    EXPECT_EQ(chip().memory, Bytes(dev.programSize, 0xFF));
}

TEST_F(Toolchain, TheCommandLineTellsHowItReadsAFile) {
    socket("AT89C51");
    // A missing HEX file gets the HEX reader's message.
    auto r = run({"-p", "AT89C51", "--no-waits", "write", path("missing.hex")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Can't Open File ! (" + path("missing.hex")), std::string::npos) << r.err;
    // Intel HEX under another name loads as binary, with a warning.
    test::writeFile(path("fw.bin"), test::hexFile({test::record(0, 0, {0x02, 0x00})}));
    r = run({"-p", "AT89C51", "--no-waits", "write", path("fw.bin")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("warning: " + path("fw.bin") + " holds Intel HEX but loads as a binary image"),
              std::string::npos) << r.err;
    EXPECT_EQ(chip().memory[0], ':');
    // A bad ELF file: exit 3 with the reason, nothing programmed.
    socket("AT89C51");
    test::writeFile(path("bad.elf"), std::string("\x7f" "ELF\x01\x01"));
    r = run({"-p", "AT89C51", "--no-waits", "write", path("bad.elf")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Truncated ELF file (" + path("bad.elf") + ")"), std::string::npos) << r.err;
    EXPECT_EQ(chip().memory, Bytes(4096, 0xFF));
}

} // namespace
} // namespace kestro
