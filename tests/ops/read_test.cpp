#include "ops/ops_fixture.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kestro {
namespace {

using Read = test::OpsFixture;
using Texts = std::vector<std::string>;

TEST_F(Read, TwelveBitPicMasksEvenBytes) {
    selectWithChip(46, 46); // PIC12C508, erased: every word reads FF FF
    form.Read1Click();
    EXPECT_EQ(st.ops.lastResult, 1);
    for (uint32_t i = 0; i < 1024; i += 2) {
        ASSERT_EQ(st.images.program[i], 0x0F) << i;
        ASSERT_EQ(st.images.program[i + 1], 0xFF) << i;
    }
    EXPECT_EQ(form.cellText(1, 1), "0F");
    EXPECT_TRUE(unlocked());
    EXPECT_EQ(form.model.focus, form.model.controlIndex("ProgGrid"));
}

TEST_F(Read, SixteenBlocksReportTheirProgress) {
    selectWithChip(68, 68); // PIC16F84: 2048 program bytes, no identification
    std::iota(adapter.chip.memory.begin(), adapter.chip.memory.end(), 0);
    std::vector<std::string> positions;
    host.onRepaint = [&] {
        const auto& p = form.model.control("PosLabel");
        if (p.visible && (positions.empty() || positions.back() != p.caption))
            positions.push_back(p.caption);
    };
    form.Read1Click();
    ASSERT_EQ(positions.size(), 17u);
    EXPECT_EQ(positions.front(), "000000h");
    EXPECT_EQ(positions[1], "000080h");
    EXPECT_EQ(positions.back(), "000800h");
    EXPECT_EQ(host.pumps, 16); // exactly once per block
    EXPECT_EQ(countReceived(kBlockRequest), 16);
    EXPECT_EQ(form.model.control("ProcBar").maxValue, 2048);
    // 14-bit words: the high byte keeps six bits.
    EXPECT_EQ(st.images.program[0], 0x00);
    EXPECT_EQ(st.images.program[0xFE], 0x3E);
    EXPECT_EQ(st.images.program[0xFF], 0xFF);
    const auto& p = adapter.packets.front();
    EXPECT_EQ(p[kPosCommand], static_cast<uint8_t>(Command::ReadProgram));
    EXPECT_EQ(p[kPosCountLow], 15);
}

TEST_F(Read, MarkerAreaReadsToItsOffset) {
    selectWithChip(121, 121); // 24C02, byte addressed
    std::iota(adapter.chip.memory.begin(), adapter.chip.memory.end(), 0);
    st.marker = {0x10, 0x8F, true};
    form.Read1Click();
    EXPECT_EQ(packetsWith(Command::ReadData), 1);
    EXPECT_EQ(countReceived(kBlockRequest), 1);
    EXPECT_EQ(st.images.program[0x0F], 0xFF);
    EXPECT_EQ(st.images.program[0x10], 0x10);
    EXPECT_EQ(st.images.program[0x8F], 0x8F);
    EXPECT_EQ(st.images.program[0x90], 0xFF);
}

TEST_F(Read, BadChecksumOnceIsRepeatedAfterAPortCycle) {
    selectWithChip(68, 68);
    adapter.faults.badBlockChecksum = Repeat::Once;
    port.log.clear();
    form.Read1Click();
    EXPECT_EQ(st.ops.lastResult, 1);
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(std::count(host.sleeps.begin(), host.sleeps.end(), 800), 1);
    // The retry reopens the device it had, never resolves the name again.
    EXPECT_EQ(port.log, (std::vector<std::string>{"close COM1", "reopen COM1"}));
    EXPECT_EQ(countReceived(kBlockRepeat), 1);
    EXPECT_EQ(countReceived(kBlockRequest), 16); // 'l' again for the next blocks
    // The 'U' came right after the first 'l'.
    const auto s = sent();
    const auto firstL = std::find(s.begin(), s.end(), kBlockRequest);
    ASSERT_NE(firstL, s.end());
    EXPECT_EQ(*(firstL + 1), kBlockRepeat);
}

TEST_F(Read, SilentAdapterGetsSixAttempts) {
    selectWithChip(68, 68);
    silentFrom(18); // the packet goes through, the first request is never echoed
    const uint64_t t0 = host.clock.nowMs;
    form.Read1Click();
    EXPECT_EQ(texts(), Texts{"Communication Error !"});
    EXPECT_EQ(countReceived(kBlockRequest), 1);
    EXPECT_EQ(countReceived(kBlockRepeat), 5);
    EXPECT_EQ(host.beeps, 6);
    // Six echoes waited out, five pauses before the repeats; nothing else.
    EXPECT_EQ(host.clock.nowMs - t0, 6 * 2520u + 5 * 800u);
    EXPECT_EQ(st.ops.lastResult, 0);
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
}

TEST_F(Read, CancelAndEscapeStopBetweenBlocks) {
    for (int key : {0, 27}) {
        selectWithChip(68, 68);
        host.beeps = 0;
        int pumps = 0;
        host.onPump = [&](int) {
            if (++pumps != 3) return;
            if (key == 0) form.ProcCancelClick();
            else form.ProcCancelKeyPress(key);
        };
        form.Read1Click();
        EXPECT_EQ(countReceived(kBlockRequest), 3) << key; // nothing more sent
        EXPECT_EQ(form.model.control("ProcLabel").caption, "Operator Interrupt");
        EXPECT_EQ(host.beeps, 1);
        EXPECT_EQ(host.sleeps.back(), 2000);
        EXPECT_TRUE(texts().empty());
        EXPECT_TRUE(unlocked());
        EXPECT_EQ(st.ops.lastResult, 0);
        host.onPump = nullptr;
    }
}

TEST_F(Read, OtherKeysOnCancelDoNothing) {
    selectWithChip(68, 68);
    host.onPump = [&](int) { form.ProcCancelKeyPress('q'); };
    form.Read1Click();
    EXPECT_EQ(countReceived(kBlockRequest), 16);
    EXPECT_EQ(st.ops.lastResult, 1);
}

TEST_F(Read, ReadFuseFollowsARead) {
    selectWithChip(17, 17); // ATTINY12: Read Fuse enabled
    adapter.chip.fuses[0] = 0x12;
    adapter.chip.fuses[1] = 0x34;
    adapter.chip.fuses[2] = 0x56;
    adapter.chip.fuses[3] = 0x78;
    form.Read1Click();
    EXPECT_EQ(packetsWith(Command::ReadFuse), 1);
    EXPECT_EQ(st.images.configBlock[0], 0x12);
    EXPECT_EQ(st.images.configBlock[1], 0x34);
    EXPECT_EQ(st.images.idBlock[0], 0x56);
    EXPECT_EQ(st.images.idBlock[1], 0x78);
    EXPECT_EQ(host.sleeps.back(), 1000);

    selectWithChip(6, 6); // AT89C52: Read Fuse disabled, no fuse read
    form.Read1Click();
    EXPECT_EQ(packetsWith(Command::ReadFuse), 0);
}

TEST_F(Read, Pic18FuseReadTakesThirtyThreeBytes) {
    selectWithChip(98, 98);
    for (size_t i = 0; i < 32; ++i) adapter.chip.fuses[i] = static_cast<uint8_t>(0xA0 + i);
    form.ReadFuse1Click();
    EXPECT_TRUE(texts().empty());
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(st.images.idBlock[i], 0xA0 + i);
    for (size_t i = 0; i < 14; ++i) EXPECT_EQ(st.images.configBlock[i], 0xA8 + i);
    EXPECT_EQ(st.images.configBlock[14], 0xFF);
    EXPECT_EQ(adapter.output().size(), 0u); // all 33 bytes were taken
    EXPECT_TRUE(unlocked());
}

TEST_F(Read, FuseReadFailuresAreReportedOnce) {
    selectWithChip(17, 17);
    silentFrom(17);
    form.ReadFuse1Click();
    EXPECT_EQ(texts(), Texts{"Serial Communication Timeout Error !"});
    EXPECT_TRUE(unlocked());
}

} // namespace
} // namespace kestro
