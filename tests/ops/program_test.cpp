// Program, Verify and Programming + Verify against the adapter double.

#include "ops/ops_fixture.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kestro {
namespace {

using namespace chips;

using Program = test::OpsFixture;
using Texts = std::vector<std::string>;

void pattern(std::span<uint8_t> bytes, int seed = 0) {
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed);
}

TEST_F(Program, TwelveBitPicGoesOutMaskedAndVerifies) {
    selectWithChip(kPic12C508, kPic12C508);
    st.settings.verifyAfterProgram = true;
    form.refreshSetupCaptions();
    pattern({st.images.program.data(), 1024});
    form.model.control("Edit1").caption = "0000"; // the ID field Program Fuse reads
    form.Program1Click();
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_EQ(st.ops.lastResult, 1);
    // The adapter's checksum was compared against the masked bytes, so the chip holds
    // those: upper four bits of every even byte cleared.
    for (size_t i = 0; i < 1024; ++i)
        ASSERT_EQ(adapter.chip.memory[i], i % 2 == 0 ? st.images.program[i] & 0x0F : st.images.program[i]) << i;
    EXPECT_EQ(packetsWith(Command::ProgramProgram), 1);
    EXPECT_EQ(packetsWith(Command::ReadProgram), 1);
    EXPECT_EQ(panelTexts, (Texts{"Programming Chip...", "Verify Chip Content With Buffer...",
                                 "Chip Content EQUAL With Buffer.",
                                 "Programming Chip Fuse Bits..."}));
    EXPECT_EQ(packetsWith(Command::ProgramFuse), 1);
    EXPECT_EQ(form.model.control("ProcBar").maxValue, 1024);
    EXPECT_TRUE(unlocked());
}

TEST_F(Program, MarkerAreaOfSeventeenBytesSendsOneWholeBlock) {
    selectWithChip(k24C02, k24C02);
    pattern({st.images.program.data(), 256}, 3);
    st.marker = {0x10, 0x20, true};
    form.Program1Click();
    ASSERT_EQ(adapter.packets.size(), 1u);
    EXPECT_EQ(adapter.packets[0][kPosLastLength], 17);
    EXPECT_EQ(adapter.packets[0][kPosStart0], 0x10);
    // Packet, 128 raw bytes from the marker start, the echoed 'l'.
    const auto s = sent();
    ASSERT_EQ(s.size(), 17u + 128 + 1);
    EXPECT_TRUE(std::equal(s.begin() + 17, s.begin() + 17 + 128, st.images.program.begin() + 0x10));
    EXPECT_EQ(s.back(), kBlockRequest);
    EXPECT_EQ(adapter.chip.memory[0x0F], 0xFF);
    EXPECT_EQ(adapter.chip.memory[0x10], st.images.program[0x10]);
    EXPECT_EQ(adapter.chip.memory[0x20], st.images.program[0x20]);
    EXPECT_EQ(adapter.chip.memory[0x21], 0xFF);
}

TEST_F(Program, LastBlockOfTheLargestChipStaysInsideTheBuffer) {
    selectWithChip(k24C02, k24C02);
    // A marker area ending at the buffer's last byte: the block goes out whole, the
    // bytes beyond the buffer as erased ones.
    st.marker = {kProgramBufferSize - 16, kProgramBufferSize - 1, true};
    st.images.program.fill(0x5A);
    form.Program1Click();
    const auto s = sent();
    ASSERT_GE(s.size(), 17u + 128);
    EXPECT_EQ(std::count(s.begin() + 17, s.begin() + 17 + 16, 0x5A), 16);
    EXPECT_EQ(std::count(s.begin() + 17 + 16, s.begin() + 17 + 128, 0xFF), 112);
}

TEST_F(Program, VerifyPassesTheLastWordOfTheSmallPics) {
    selectWithChip(kPic12C508, kPic12C508);
    // The buffer holds what an erased chip reads, but for the calibration word.
    for (size_t i = 0; i < 1024; i += 2) st.images.program[i] = 0x0F;
    st.images.program[1022] = 0x0C;
    st.images.program[1023] = 0x25;
    form.Verify1Click();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(panelTexts.back(), "Chip Content EQUAL With Buffer.");
    EXPECT_EQ(host.sleeps.back(), 2000);
    EXPECT_EQ(countReceived(kStopByte), 0);
}

TEST_F(Program, PaddingOfASmallDataMemoryIsNoDifference) {
    // 93C06: 32 bytes travel in one 128-byte block; what lies beyond is padding.
    selectWithChip(k93C06, k93C06);
    std::fill(st.images.program.begin() + 32, st.images.program.begin() + 128, 0x00);
    form.Verify1Click();
    EXPECT_EQ(panelTexts.back(), "Chip Content EQUAL With Buffer.");
    EXPECT_EQ(countReceived(kStopByte), 0);

    // In the program view a PIC16F84's data size does not excuse program differences.
    selectWithChip(kPic16F84, kPic16F84);
    for (size_t i = 0; i < 2048; i += 2) st.images.program[i] = 0x3F;
    st.images.program[0x40] = 0x00;
    host.onPump = [&](int) { form.ProcCancelClick(); };
    form.Verify1Click();
    EXPECT_EQ(panelTexts.back(), "NOT EQUAL!  Error: 000040h");
    EXPECT_EQ(countReceived(kStopByte), 1);
}

TEST_F(Program, DifferenceStopsTheAdapterAndStaysUntilCancel) {
    selectWithChip(k27C256, k27C256);
    st.images.program[0x123] = 0x00; // the chip is erased
    int pumps = 0;
    uint64_t shownAt = 0;
    host.onPump = [&](int) {
        if (form.model.control("ProcLabel").caption.starts_with("NOT EQUAL") && shownAt == 0)
            shownAt = host.clock.nowMs;
        if (++pumps == 40) form.ProcCancelKeyPress(27);
    };
    form.Verify1Click();
    EXPECT_EQ(panelTexts.back(), "NOT EQUAL!  Error: 000123h");
    EXPECT_TRUE(texts().empty()); // no message box: the panel shows it
    EXPECT_EQ(countReceived(kBlockRequest), 3); // blocks 0..2, nothing after the stop
    EXPECT_EQ(sent().back(), kStopByte);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_GT(host.clock.nowMs, shownAt); // it waited for the user
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
    EXPECT_TRUE(unlocked());
}

TEST_F(Program, ClosingTheWindowEndsTheDifferenceDisplay) {
    selectWithChip(k27C256, k27C256);
    st.images.program[5] = 0x00;
    host.onPump = [&](int pump) {
        if (pump == 3) form.FormCloseQuery();
    };
    form.Verify1Click();
    EXPECT_TRUE(form.closeRequested());
    EXPECT_EQ(panelTexts.back(), "NOT EQUAL!  Error: 000005h");
    EXPECT_EQ(std::find(host.sleeps.begin(), host.sleeps.end(), 2000), host.sleeps.end());
    EXPECT_FALSE(form.operationRunning());
}

TEST_F(Program, EncodersProgramAndVerifyInTheAdapter) {
    selectWithChip(kHcs301, kHcs301);
    pattern({st.images.program.data(), 24});
    form.Program1Click();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(packetsWith(Command::ProgramData), 1);
    EXPECT_EQ(packetsWith(Command::ReadProgram) + packetsWith(Command::ReadData), 0);
    EXPECT_EQ(panelTexts.front(), "Programming + Verify...");
    EXPECT_TRUE(std::equal(st.images.program.begin(), st.images.program.begin() + 24,
                           adapter.chip.memory.begin()));
    EXPECT_EQ(st.ops.lastResult, 1);

    adapter.faults.blockStatus = kBlockFailed;
    form.Program1Click();
    EXPECT_EQ(texts(), Texts{"Programming Error !"});
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(st.ops.lastResult, 0);
    EXPECT_TRUE(unlocked());
}

} // namespace
} // namespace kestro
