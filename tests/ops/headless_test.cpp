// The operations need no window: over a link and a recording reporter they send the
// very bytes the window's handlers send.

#include "link/handshake.h"
#include "ops/chains.h"
#include "ops/ops_fixture.h"
#include "sim/sim_serial_port.h"
#include "support/recording_reporter.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace kestro {
namespace {

using namespace chips;

// A state record, a link and a reporter: everything an operation runs over.
struct Headless {
    VirtualClock clock;
    AdapterSim adapter;
    SimSerialPort port{clock, adapter};
    std::unique_ptr<State> st = std::make_unique<State>();
    Link link{port, st->link};
    test::RecordingReporter report{clock};
    OpContext ctx = opContext(*st, link, report);

    explicit Headless(int device) {
        st->device.index = device;
        selectDeviceState(*st);
        st->link.portName = "COM1";
        EXPECT_TRUE(openPort(link, report));
        EXPECT_EQ(runHandshake(link, st->device, st->adapter), Fault::None);
        adapter.received.clear();
    }
};

using WindowRead = test::OpsFixture;

TEST_F(WindowRead, HeadlessReadSendsTheSameBytesAsTheMenu) {
    selectWithChip(kAttiny12, kAttiny12);
    std::iota(adapter.chip.memory.begin(), adapter.chip.memory.end(), 7);
    form.Read1Click();
    ASSERT_EQ(st.ops.lastResult, 1);

    Headless h(kAttiny12);
    h.adapter.chip = adapter.chip;
    runProcess(h.ctx, ProcessCommand::Read);
    EXPECT_EQ(h.st->ops.lastResult, 1);
    EXPECT_EQ(h.adapter.received, sent());
    EXPECT_TRUE(std::equal(st.images.program.begin(), st.images.program.begin() + 1024,
                           h.st->images.program.begin()));
    EXPECT_EQ(st.images.configBlock, h.st->images.configBlock);
    EXPECT_TRUE(h.report.faults.empty());
    // The chain's links in order: identification, read, grid, fuse read, fuse panel.
    EXPECT_EQ(h.report.events.front(), "message Reading Chip Signature Bytes...");
    EXPECT_EQ(h.report.events.back(), "fuses");
    EXPECT_EQ(h.report.steps.size(), 8u); // 1 KiB in 128-byte blocks
}

TEST(Headless, AStopBetweenBlocksEndsTheChainWithTheInterrupt) {
    Headless h(153); // 27C256: no signature, no fuses
    h.report.stopAfterSteps = 3;
    runProcess(h.ctx, ProcessCommand::Read);
    EXPECT_EQ(h.st->ops.lastResult, 0);
    EXPECT_EQ(h.report.steps.size(), 3u);
    EXPECT_EQ(h.report.events.back(), "image"); // the grid still shows what was read
    EXPECT_EQ(std::count(h.report.events.begin(), h.report.events.end(), "interrupt"), 1);
}

TEST(Headless, LinkFailuresArriveAsTheirKind) {
    Headless h(153);
    h.adapter.faults.silentFromByte = 1;
    runProcess(h.ctx, ProcessCommand::Read);
    EXPECT_EQ(h.report.faults, std::vector<Fault>{Fault::Timeout});
    EXPECT_EQ(h.report.events.back(), "image");
}

// A front end without a panel learns where the chip differs, and what both sides hold.
TEST(Headless, DifferencesAreKeptWithTheirValues) {
    Headless h(153); // 27C256
    h.adapter.chip = SimChip::blank(153);
    h.adapter.chip.memory[0x123] = 0x5A;
    runProcess(h.ctx, ProcessCommand::CheckErase);
    EXPECT_EQ(h.report.faults, std::vector<Fault>{Fault::NotBlank});
    EXPECT_EQ(h.st->ops.difference.address, 0x123u);
    EXPECT_EQ(h.st->ops.difference.found, 0x5A);

    h.report.faults.clear();
    h.st->images.program.fill(0xFF);
    h.st->images.program[0x123] = 0x5A;
    h.st->images.program[0x200] = 0x11; // beyond the first difference: never looked at
    h.adapter.chip.memory[0x123] = 0xFF;
    runProcess(h.ctx, ProcessCommand::Verify);
    EXPECT_EQ(h.report.faults, std::vector<Fault>{Fault::ContentDiffers});
    EXPECT_EQ(h.st->ops.difference.address, 0x123u);
    EXPECT_EQ(h.st->ops.difference.expected, 0x5A);
    EXPECT_EQ(h.st->ops.difference.found, 0xFF);
    EXPECT_EQ(h.st->ops.msgText, "NOT EQUAL!  Error: 000123h");
}

// Program shows a failed chip as the window always did, but says what it was.
TEST(Headless, ProgramTellsAFailedChipFromALineFault) {
    Headless h(153);
    h.adapter.faults.blockStatus = kBlockFailed;
    runProcess(h.ctx, ProcessCommand::Program);
    EXPECT_EQ(h.report.faults, std::vector<Fault>{Fault::ChipFailed});
    EXPECT_EQ(std::count(h.report.events.begin(), h.report.events.end(),
                         "failure Communication Error !"),
              1);
}

} // namespace
} // namespace kestro
