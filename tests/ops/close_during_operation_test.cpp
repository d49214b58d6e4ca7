#include "ops/ops_fixture.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using CloseDuringOperation = test::OpsFixture;

TEST_F(CloseDuringOperation, OperationEndsQuietlyThenShutDownRunsOnce) {
    selectWithChip(153, 153); // 27C256: 256 blocks
    int pumps = 0;
    bool refused = false;
    host.onPump = [&](int) {
        if (++pumps == 5) refused = !form.FormCloseQuery();
    };
    const int beepsBefore = host.beeps;
    form.Read1Click();
    EXPECT_TRUE(refused); // the window stays until the operation has ended
    EXPECT_EQ(countReceived(kBlockRequest), 5);
    EXPECT_EQ(host.beeps, beepsBefore); // no interrupt display
    EXPECT_EQ(std::count(host.sleeps.begin(), host.sleeps.end(), 2000), 0);
    EXPECT_NE(form.model.control("ProcLabel").caption, "Operator Interrupt");
    EXPECT_TRUE(form.closeRequested());
    EXPECT_FALSE(form.operationRunning());

    EXPECT_TRUE(form.FormCloseQuery());
    form.FormClose();
    form.FormClose();
    EXPECT_TRUE(form.shutDownDone());
    EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "close COM1"), 1);
    EXPECT_EQ(port.log.back(), "close COM1"); // nothing used the port after it closed
    EXPECT_NE(test::readSettingsFile().find("Device:27C256"), std::string::npos);
}

} // namespace
} // namespace kestro
