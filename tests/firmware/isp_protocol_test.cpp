// The firmware's protocol for the microcontrollers it programs in system, against the
// program's own operations: both memories, identification, fuses, lock bits, erase,
// and the parts of those families that it refuses.

#include "firmware/firmware_fixture.h"

#include <algorithm>

namespace kestro {
namespace {

using Bytes = std::vector<uint8_t>;
using Firmware = test::FirmwareFixture;
using Sig = std::array<uint8_t, 3>;

Bytes pattern(size_t n, uint8_t seed) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 13 + seed);
    return v;
}

// The answer to a repeat: the same block after the echo of 'U'.
Bytes with(uint8_t echo, const Bytes& block) {
    Bytes v{echo};
    v.insert(v.end(), block.begin() + 1, block.end());
    return v;
}

bool anyText(const std::vector<std::string>& texts, std::string_view text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(Firmware, MicrocontrollersProgramVerifyAndReadBothMemories) {
    st.settings.verifyAfterProgram = true;
    st.settings.autoDataMemory = true;
    form.refreshSetupCaptions();
    struct Case {
        const char* name;
        std::optional<Sig> signature; // none: the AT89S53/8252 give none in system
    };
    for (const Case& c : {Case{"ATMEGA8515", Sig{0x1E, 0x93, 0x06}},
                          Case{"AT90S2313", Sig{0x1E, 0x91, 0x01}}, Case{"AT89S52", {}},
                          Case{"AT89S8252", {}}}) {
        insert(c.name);
        board.chip.signature = c.signature;
        host.yesNoAnswers.assign(8, MsgAnswer::Yes); // "Unknown Device": go on
        const Bytes code = pattern(board.chip.memory.size(), 1);
        const Bytes data = pattern(board.chip.data.size(), 7);
        std::copy(code.begin(), code.end(), st.images.program.begin());
        std::copy(data.begin(), data.end(), st.images.data.begin());
        form.Program1Click();
        EXPECT_FALSE(anyText(texts(), "Communication Error !")) << c.name;
        EXPECT_EQ(board.chip.memory, code) << c.name;
        EXPECT_EQ(board.chip.data, data) << c.name;
        std::fill_n(st.images.program.begin(), code.size(), 0);
        form.Read1Click();
        EXPECT_TRUE(std::equal(code.begin(), code.end(), st.images.program.begin())) << c.name;
        host.messages.clear();
    }
}

TEST_F(Firmware, IdentificationNamesTheChipInTheSocket) {
    insert("AT90S8515");
    board.chip.signature = Sig{0x1E, 0x93, 0x06};
    form.Read1Click();
    EXPECT_EQ(chipRow(st.device.index).name, "ATMEGA8515");
    EXPECT_EQ(board.chip.reads, 0); // the read stops for the new selection
    // No chip answering: no signature, an unknown device; going on fails.
    board.chip.present = false;
    host.yesNoAnswers.assign(1, MsgAnswer::Yes);
    host.messages.clear();
    form.Read1Click();
    EXPECT_TRUE(anyText(texts(), "Communication Error !"));
}

TEST_F(Firmware, FusesAreReadAndProgrammedAsFourBytesAndARefusalFails) {
    insert("ATMEGA8515");
    board.chip.signature = Sig{0x1E, 0x93, 0x06};
    board.chip.fuses = {0xE1, 0xD9, 0xFF, 0xFF};
    form.ReadFuse1Click();
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_EQ(st.images.configBlock[0], 0xE1);
    EXPECT_EQ(st.images.configBlock[1], 0xD9);
    form.ProgramFuse1Click();
    EXPECT_TRUE(texts().empty()) << texts().front();
    ASSERT_EQ(board.chip.fuseWrites.size(), 1u);
    EXPECT_EQ(board.chip.fuseWrites[0], (std::array<uint8_t, 4>{st.images.configBlock[0],
                                                                 st.images.configBlock[1],
                                                                 st.images.idBlock[0],
                                                                 st.images.idBlock[1]}));
    board.chip.refusesFuses = true;
    form.ProgramFuse1Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Communication Error !"});
    // A part whose fuses the board has no way to: refused at the packet, the socket
    // untouched.
    insert("AT89S52");
    const int begins = board.chip.begins;
    EXPECT_FALSE(start(Command::ReadFuse));
    EXPECT_FALSE(start(Command::ProgramFuse));
    EXPECT_EQ(board.chip.begins, begins);
}

TEST_F(Firmware, ProgramSecurityHandsTheLockModeToTheChip) {
    insert("AT90S2313");
    board.chip.signature = Sig{0x1E, 0x91, 0x01};
    form.ProgramSecurity1Click(); // nothing chosen: the strongest level
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_EQ(board.chip.locks, Bytes{3});
    insert("ATMEGA8515");
    board.chip.signature = Sig{0x1E, 0x93, 0x06};
    form.ProgramSecurity1Click();
    EXPECT_EQ(board.chip.locks.back(), 0xC0); // no lock item checked
    insert("24C02"); // a memory has no lock bits
    EXPECT_FALSE(start(Command::ProgramSecurity));
}

TEST_F(Firmware, EraseClearsTheChipBeforeItsAnswer) {
    insert("ATMEGA8515");
    board.chip.signature = Sig{0x1E, 0x93, 0x06};
    board.chip.memory.assign(board.chip.memory.size(), 0);
    form.Erase1Click();
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_EQ(board.chip.erases, 1);
    EXPECT_EQ(board.chip.memory, Bytes(8192, 0xFF));
    board.chip.present = false; // the next erase finds no chip
    EXPECT_FALSE(start(Command::Erase));
}

// The target is held in reset only while an operation needs it: after the last block
// of a read it runs again, and a repeat of that block comes from the board's memory.
TEST_F(Firmware, TheChipIsLetGoAfterTheLastBlockAndARepeatNeedsItNot) {
    insert("ATMEGA8515");
    board.chip.data = pattern(512, 3);
    st.images.view = DataView;
    ASSERT_TRUE(start(Command::ReadData)); // four blocks
    for (int k = 0; k < 3; ++k) ASSERT_EQ(answer({kBlockRequest}).size(), 130u);
    const int ends = board.chip.ends, reads = board.chip.reads;
    const Bytes last = answer({kBlockRequest});
    ASSERT_EQ(last.size(), 130u);
    EXPECT_EQ(board.chip.ends, ends + 1);
    EXPECT_EQ(answer({kBlockRepeat}), with(kBlockRepeat, last));
    EXPECT_EQ(board.chip.reads, reads);
}

// The parts of these families that want 12 V or a parallel programmer: every
// operation ends with the program's failure, the socket untouched.
TEST_F(Firmware, PartsNeedingHighVoltageFailEveryOperation) {
    for (const char* name : {"AT89C51", "ATTINY11", "ATTINY12HV", "ATTINY28"}) {
        insert(name);
        host.yesNoAnswers.assign(16, MsgAnswer::Yes);
        form.Read1Click();
        form.Program1Click();
        form.Erase1Click();
        form.ProgramSecurity1Click();
        form.ReadFuse1Click();
        const auto shown = texts();
        EXPECT_EQ(std::count(shown.begin(), shown.end(), "Communication Error !"), 5) << name;
        EXPECT_EQ(board.chip.memory, Bytes(board.chip.memory.size(), 0xFF)) << name;
        EXPECT_TRUE(board.chip.locks.empty() && board.chip.fuseWrites.empty()) << name;
        EXPECT_EQ(board.chip.erases, 0) << name;
        host.messages.clear();
    }
}

} // namespace
} // namespace kestro
