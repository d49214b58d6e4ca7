// A stop asked for while a chain runs (closing the window, SIGTERM, Escape) is taken at
// the next point where the adapter can stop cleanly: nothing goes out after it, and no
// later link of the chain starts.

#include "ops/ops_fixture.h"
#include "support/chips.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using namespace chips;

struct Stop : test::OpsFixture {
    size_t receivedAtStop = 0;

    void SetUp() override {
        OpsFixture::SetUp();
        st.settings.verifyAfterProgram = true;
        form.refreshSetupCaptions();
    }
    void closeNow() {
        receivedAtStop = adapter.received.size();
        EXPECT_FALSE(form.FormCloseQuery()); // refused while the operation runs
    }
    size_t sentAfterStop() const { return adapter.received.size() - receivedAtStop; }
    std::vector<Command> commands() const {
        std::vector<Command> v;
        for (const auto& p : adapter.packets) v.push_back(static_cast<Command>(p[kPosCommand]));
        return v;
    }
    // The window closes once the handler has returned: the shut-down runs once.
    void expectClosedCleanly() {
        EXPECT_TRUE(unlocked());
        EXPECT_TRUE(texts().empty());
        EXPECT_TRUE(form.FormCloseQuery());
        form.FormClose();
        EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "close COM1"), 1);
    }
};

using C = Command;

// Erase+Program+Verify+Security on an AT89C51: its fixed waits in the order they come,
// with the packets that have gone out when the window is closed during each.
struct WaitCase {
    const char* where;
    int ms;
    std::vector<Command> sent;
    uint8_t firstByte; // the chip's first byte afterwards: 5A untouched, FF erased, 00 programmed
};

const WaitCase kWaits[] = {
    {"before the first signature packet", 150, {}, 0x5A},
    {"Device: AT89C51", 1200, {C::ReadSignature}, 0x5A},
    {"after the erase packet", 1000, {C::ReadSignature, C::Erase}, 0xFF},
    {"end of Erase", 500, {C::ReadSignature, C::Erase}, 0xFF},
    {"Program's identification", 150, {C::ReadSignature, C::Erase}, 0xFF},
    {"Program's Device:", 1200, {C::ReadSignature, C::Erase, C::ReadSignature}, 0xFF},
    {"end of Program", 500, {C::ReadSignature, C::Erase, C::ReadSignature, C::ProgramProgram}, 0x00},
    {"before Verify's packet", 500, {C::ReadSignature, C::Erase, C::ReadSignature, C::ProgramProgram}, 0x00},
    {"Chip Content EQUAL With Buffer.", 2000,
     {C::ReadSignature, C::Erase, C::ReadSignature, C::ProgramProgram, C::ReadProgram}, 0x00},
};

struct StopAtWait : Stop, ::testing::WithParamInterface<size_t> {};

TEST_P(StopAtWait, ClosingDuringAFixedWaitOfTheEraseChainSendsNothingMore) {
    const WaitCase& w = kWaits[GetParam()];
    SCOPED_TRACE(w.where);
    adapter.chip = SimChip::blank(kAt89C51);
    adapter.chip.memory.assign(adapter.chip.memory.size(), 0x5A);
    select(kAt89C51);
    adapter.packets.clear();
    for (size_t i = 0; i < 4096; ++i) st.images.program[i] = static_cast<uint8_t>(i);
    size_t n = 0;
    host.onWait = [&](int ms) {
        if (n++ != GetParam()) return;
        EXPECT_EQ(ms, w.ms);
        closeNow();
    };
    host.sleeps.clear();
    form.EraseProgramSecurity1Click();
    EXPECT_EQ(sentAfterStop(), 0u);
    EXPECT_EQ(commands(), w.sent);
    EXPECT_EQ(adapter.chip.lockByte, 0); // never locked
    EXPECT_EQ(adapter.chip.memory[0], w.firstByte);
    EXPECT_EQ(std::count(host.sleeps.begin(), host.sleeps.end(), 2000), 0); // nothing waited out
    expectClosedCleanly();
}

INSTANTIATE_TEST_SUITE_P(EveryWait, StopAtWait, ::testing::Range<size_t>(0, std::size(kWaits)));

struct BlockLoop {
    const char* what;
    void (TMyForm::*handler)();
    Command command;
};

const BlockLoop kLoops[] = {
    {"Program", &TMyForm::Program1Click, C::ProgramProgram},
    {"Read", &TMyForm::Read1Click, C::ReadProgram},
    {"Verify", &TMyForm::Verify1Click, C::ReadProgram},
};

struct StopInLoop : Stop, ::testing::WithParamInterface<size_t> {};

TEST_P(StopInLoop, ClosingDuringABlockLoopEndsAfterTheBlockInHand) {
    const BlockLoop& c = kLoops[GetParam()];
    SCOPED_TRACE(c.what);
    selectWithChip(kAt89C51, kAt89C51);
    host.onPump = [&](int pump) {
        if (pump == 3) closeNow();
    };
    (form.*c.handler)();
    EXPECT_EQ(sentAfterStop(), 0u);
    EXPECT_EQ(packetsWith(c.command), 1);
    EXPECT_EQ(packetsWith(C::ReadProgram) + packetsWith(C::ProgramProgram), 1); // no Verify after Program
    EXPECT_EQ(countReceived(kBlockRequest), 3);
    EXPECT_NE(form.model.control("ProcLabel").caption, "Operator Interrupt");
    expectClosedCleanly();
}

INSTANTIATE_TEST_SUITE_P(EveryLoop, StopInLoop, ::testing::Range<size_t>(0, std::size(kLoops)));

TEST_F(Stop, ClosingDuringAMultiPacketEraseEndsAfterThePacketInHand) {
    selectWithChip(k28F010, k28F010);
    int erases = 0;
    host.onWait = [&](int ms) {
        if (ms == 1000 && ++erases == 3) closeNow();
    };
    form.Erase1Click();
    EXPECT_EQ(packetsWith(C::Erase), 3);
    EXPECT_EQ(sentAfterStop(), 0u);
    expectClosedCleanly();
}

// Escape while an operation without Cancel runs reaches the window when it next takes
// input; the chain stops before its next link, never inside its block loop.
TEST_F(Stop, EscapeDuringEraseStopsTheChainBeforeProgram) {
    selectWithChip(kAt89C51, kAt89C51);
    st.images.program[0] = 0x12;
    bool pressed = false;
    host.onWait = [&](int ms) {
        if (ms == 1000) pressed = true; // held while the erase runs
    };
    host.onTakeInput = [&](int) {
        if (pressed) form.ProcCancelKeyPress(27);
        pressed = false;
    };
    form.EraseProgramSecurity1Click();
    EXPECT_EQ(commands(), (std::vector<C>{C::ReadSignature, C::Erase}));
    EXPECT_EQ(adapter.chip.memory[0], 0xFF); // erased, nothing programmed
    EXPECT_EQ(adapter.chip.lockByte, 0);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(texts().empty());

    // The next chain is not stopped by it.
    host.onWait = nullptr;
    form.EraseProgramSecurity1Click();
    EXPECT_EQ(adapter.chip.memory[0], 0x12);
    EXPECT_EQ(adapter.chip.lockByte, 7);
}

TEST_F(Stop, EscapeDuringIdentificationSendsNoCommand) {
    selectWithChip(kAt89C51, kAt89C51);
    host.onWait = [&](int ms) {
        if (ms == 1200) form.ProcCancelKeyPress(27); // "Device: AT89C51" shows
    };
    form.Read1Click();
    EXPECT_EQ(packetsWith(C::ReadProgram), 0);
    EXPECT_EQ(countReceived(kBlockRequest), 0);
    EXPECT_TRUE(unlocked());

    // A cancel of an earlier run does not stop the next one.
    host.onWait = nullptr;
    form.Read1Click();
    EXPECT_EQ(countReceived(kBlockRequest), 32);
}

} // namespace
} // namespace kestro
