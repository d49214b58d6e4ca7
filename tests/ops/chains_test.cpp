// The Process menu's chains: which links run, which test the last result, and what
// the adapter sees of it.

#include "ops/ops_fixture.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestro {
namespace {

using namespace chips;

using Chains = test::OpsFixture;
using Texts = std::vector<std::string>;

struct ChainFixture : Chains {
    void withVerify(bool verify, bool autoData) {
        st.settings.verifyAfterProgram = verify;
        st.settings.autoDataMemory = autoData;
        form.refreshSetupCaptions();
    }
    // The ID field of the PIC layouts, which Program Fuse's GetFuse reads.
    void idField(const char* text) { form.model.control("Edit1").caption = text; }
    std::vector<Command> commands() const {
        std::vector<Command> v;
        for (const auto& p : adapter.packets) v.push_back(static_cast<Command>(p[kPosCommand]));
        return v;
    }
};

using C = Command;

TEST_F(ChainFixture, ProgramWithVerifyAndDataMemoryRunsBothPassesThenTheFuses) {
    selectWithChip(kPic16F84, kPic16F84);
    withVerify(true, true);
    idField("1234");
    for (size_t i = 0; i < 64; ++i) st.images.data[i] = static_cast<uint8_t>(i);
    std::vector<uint64_t> gridAt;
    form.Program1Click();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(commands(), (std::vector<C>{C::ProgramProgram, C::ReadProgram, C::ProgramData,
                                          C::ReadData, C::ProgramFuse}));
    EXPECT_TRUE(std::equal(st.images.data.begin(), st.images.data.begin() + 64,
                           adapter.chip.data.begin()));
    EXPECT_EQ(adapter.chip.fuses[2], 0x12); // ID bytes after the configuration word
    EXPECT_EQ(adapter.chip.fuses[3], 0x34);
    EXPECT_EQ(st.images.view, ProgramView); // back where it started
    EXPECT_EQ(form.model.control("SizeLabel").caption, "Program Size: 2Kbyte");
    EXPECT_EQ(st.ops.lastResult, 1);
    EXPECT_TRUE(unlocked());
}

// The chains of one memory run that operation alone, whatever Setup says; the data
// memory's comes back to the program view, and the encoders program and verify in one.
TEST_F(ChainFixture, MemoryChainsMoveOneMemoryAndNothingElse) {
    selectWithChip(kPic16F84, kPic16F84);
    withVerify(true, true);
    idField("1234");
    for (size_t i = 0; i < 64; ++i) adapter.chip.data[i] = static_cast<uint8_t>(i + 1);
    EXPECT_TRUE(runMemoryChain(form.ops, MemoryChain::Program));
    EXPECT_TRUE(runMemoryChain(form.ops, MemoryChain::Read));
    EXPECT_TRUE(runMemoryChain(form.ops, MemoryChain::ReadDataMemory));
    EXPECT_EQ(commands(), (std::vector<C>{C::ProgramProgram, C::ReadProgram, C::ReadData}));
    EXPECT_TRUE(std::equal(st.images.data.begin(), st.images.data.begin() + 64, adapter.chip.data.begin()));
    EXPECT_EQ(st.images.view, ProgramView);

    adapter.packets.clear();
    selectWithChip(kHcs301, kHcs301);
    EXPECT_TRUE(runMemoryChain(form.ops, MemoryChain::Program));
    EXPECT_EQ(commands(), std::vector<C>{C::ProgramData});
    EXPECT_TRUE(texts().empty());
}

TEST_F(ChainFixture, NoDataPassWithoutADataMemoryOrFromTheDataView) {
    selectWithChip(k27C256, k27C256); // data size only: the view is the data view
    withVerify(false, true);
    form.Program1Click();
    EXPECT_EQ(commands(), std::vector<C>{C::ProgramData});

    selectWithChip(kPic16F84, kPic16F84);
    form.ProgDatButtClick(); // the data view: only it is programmed
    idField("0000");
    form.Program1Click();
    EXPECT_EQ(commands(), (std::vector<C>{C::ProgramData, C::ProgramFuse}));
    EXPECT_EQ(st.images.view, DataView);
}

TEST_F(ChainFixture, ProgramFailingAtBlockThreeSkipsVerifyAndFusesButReadsThePanel) {
    selectWithChip(kPic16F84, kPic16F84);
    withVerify(true, false);
    idField("xx"); // GetFuse still runs: its message shows it
    silentFrom(17 + 2 * 129 + 1); // the third block's data gets no checksum back
    form.Program1Click();
    EXPECT_EQ(texts(), (Texts{"Serial Communication Timeout Error !", "Incorrect ID number !"}));
    EXPECT_EQ(commands(), std::vector<C>{C::ProgramProgram});
    EXPECT_EQ(st.ops.lastResult, 0);
    EXPECT_TRUE(unlocked());
}

TEST_F(ChainFixture, EscapeDuringProgramStopsTheChain) {
    selectWithChip(kPic16F84, kPic16F84);
    withVerify(true, true);
    idField("0000");
    host.onPump = [&](int pump) {
        if (pump == 2) form.ProcCancelKeyPress(27);
    };
    form.Program1Click();
    EXPECT_EQ(commands(), std::vector<C>{C::ProgramProgram});
    EXPECT_EQ(countReceived(kBlockRequest), 2); // the current block completed first
    EXPECT_EQ(std::count(panelTexts.begin(), panelTexts.end(), "Operator Interrupt"), 1); // said once
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(st.ops.lastResult, 0);
}

TEST_F(ChainFixture, EscapeBetweenOperationsEndsTheChainWithOperatorInterrupt) {
    selectWithChip(k27C256, k27C256);
    host.onWait = [&](int ms) {
        if (ms == 1000) form.ProcCancelKeyPress(27); // during the erase's wait: no Cancel button
    };
    const int beepsBefore = host.beeps;
    form.EraseProgram1Click();
    EXPECT_EQ(commands(), std::vector<C>{C::Erase}); // Program never started
    EXPECT_EQ(std::count(panelTexts.begin(), panelTexts.end(), "Operator Interrupt"), 1);
    EXPECT_EQ(host.beeps - beepsBefore, 1);
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(unlocked());

    // The next run, not stopped, says nothing of the kind.
    host.onWait = nullptr;
    panelTexts.clear();
    form.Erase1Click();
    EXPECT_EQ(std::count(panelTexts.begin(), panelTexts.end(), "Operator Interrupt"), 0);
}

TEST_F(ChainFixture, ErasePacketsAndTheirWaits) {
    struct Case {
        int device;
        int packets;
        std::vector<int> sleeps;
    };
    const Case cases[] = {
        {k27C256, 1, {1000, 500}},
        {kAt89C55WD, 2, {1000, 500}}, // the second packet straight after the first wait
        {k28F010, 9, {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 500}},
    };
    for (const Case& c : cases) {
        selectWithChip(c.device, c.device);
        host.sleeps.clear();
        form.Erase1Click();
        EXPECT_EQ(packetsWith(C::Erase), c.packets) << c.device;
        std::vector<int> waits;
        for (int s : host.sleeps)
            if (s != 150 && s != 1200) waits.push_back(s); // identification's own
        EXPECT_EQ(waits, c.sleeps) << c.device;
        EXPECT_EQ(panelTexts.back(), "Erase Chip...");
        EXPECT_TRUE(texts().empty());
    }
}

TEST_F(ChainFixture, ConfigurationPromsSetTheirResetPolarityInstead) {
    selectWithChip(k17C256, k17C256);
    form.Erase1Click();
    form.Identify1Click();
    EXPECT_EQ(commands(), (std::vector<C>{C::ProgramSecurity, C::ProgramSecurity}));
    // Packet, then the polarity: 1 from Erase ("Reset Low, OE High"), 0 from Identify.
    const auto s = sent();
    ASSERT_EQ(s.size(), 2u * 18);
    EXPECT_EQ(s[17], 1);
    EXPECT_EQ(s[35], 0);
}

TEST_F(ChainFixture, CheckEraseOfAnErasedChipAndOfOneWithAByteSet) {
    selectWithChip(k27C256, k27C256);
    form.CheckErase1Click();
    EXPECT_EQ(countReceived(kBlockRequest), 256);
    EXPECT_EQ(panelTexts.back(), "EPROM is Empty.");
    EXPECT_EQ(host.sleeps.back(), 2000);

    selectWithChip(k27C256, k27C256);
    adapter.chip.memory[0x85] = 0x7F; // byte 5 of the second block
    host.onPump = [&](int) {
        if (form.model.control("ProcLabel").caption.starts_with("EPROM is NOT")) form.ProcCancelClick();
    };
    form.CheckErase1Click();
    EXPECT_EQ(panelTexts.back(), "EPROM is NOT Empty! 000085h = 7Fh");
    EXPECT_EQ(countReceived(kBlockRequest), 2);
    EXPECT_EQ(sent().back(), kStopByte);
    EXPECT_TRUE(unlocked());
}

TEST_F(ChainFixture, SecurityWithNoLockChosenTakesTheStrongestLevel) {
    const struct {
        int device;
        int listBefore; // the lock list's selection, read back before the command
        const char* shown; // afterwards; "" for a panel without a lock list
        uint8_t sent;
    } cases[] = {
        {kAt89C2051, 0, "Program, Read disable", 3},
        {kAt89C51, 0, "Program, Read, ext PS disable", 7},
        {13, 0, "Program, Read, ext PS disable", 7}, // AT89S8252
        {15, 0, "Program, Read disable", 3},         // AT90S2313
        {24, -1, "", 3},                             // AT90S4434: no layout, the mode all the same
        {kAt89C51, 1, "Program disable", 1},         // chosen already
        {29, -1, "", 0},                             // W78LE51 keeps 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        selectWithChip(c.device, c.device);
        Control& list = form.model.control("ComboBox1");
        if (c.listBefore >= 0) list.itemIndex = c.listBefore;
        form.ProgramSecurity1Click();
        EXPECT_EQ(adapter.chip.lockByte, c.sent);
        EXPECT_EQ(list.visible && list.itemIndex >= 0 ? list.items[static_cast<size_t>(list.itemIndex)] : "",
                  c.shown);
        EXPECT_EQ(panelTexts.back(), "Chip Security Process...");
        EXPECT_TRUE(texts().empty());
    }
}

TEST_F(ChainFixture, Pic18FusesGoOutAsThirtyTwoBytes) {
    selectWithChip(kPic18F452, kPic18F452);
    idField("0102030405060708");
    form.ProgramFuse1Click();
    EXPECT_TRUE(texts().empty());
    const auto s = sent();
    ASSERT_EQ(s.size(), 17u + 32);
    const std::vector<uint8_t> data(s.begin() + 17, s.end());
    EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 8),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    // The fourteen configuration bytes the panel composed, then ten spare ones.
    EXPECT_TRUE(std::equal(data.begin() + 8, data.begin() + 22, st.images.configBlock.begin()));
    EXPECT_EQ(std::count(data.begin() + 22, data.end(), 0xFF), 10);
    EXPECT_EQ(host.sleeps.back(), 1000);
}

TEST_F(ChainFixture, EraseProgramSecurityRunsEveryLinkInOrder) {
    selectWithChip(kAt89C51, kAt89C51);
    withVerify(true, false);
    st.images.program[0] = 0x12;
    form.EraseProgramSecurity1Click();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(commands(), (std::vector<C>{C::ReadSignature, C::Erase, C::ReadSignature,
                                          C::ProgramProgram, C::ReadProgram, C::ReadSignature,
                                          C::ProgramSecurity}));
    EXPECT_EQ(adapter.chip.memory[0], 0x12);
    EXPECT_EQ(adapter.chip.lockByte, 7);

    // A failed erase stops every link that tests the result.
    selectWithChip(kAt89C51, kAt89C51);
    silentFrom(18 + 1); // the erase packet after identification fails
    form.EraseProgramSecurity1Click();
    EXPECT_EQ(texts(), Texts{"Serial Communication Timeout Error !"});
    EXPECT_EQ(packetsWith(C::ProgramProgram) + packetsWith(C::ProgramSecurity), 0);
    EXPECT_TRUE(unlocked());
}

} // namespace
} // namespace kestro
