// The demo scripts/run starts (kestro-sim --demo): its chip in the socket, its
// settings file, and what a new user does first.

#include "shell/tmyform.h"
#include "sim/demo.h"
#include "sim/sim_serial_port.h"
#include "support/fake_host.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestro {
namespace {

TEST(Demo, IdentifyAndReadOfTheDeviceShownSucceed) {
    std::string error;
    ASSERT_TRUE(writeDemoSettings(test::testConfigDir(), error)) << error;
    test::FakeHost host;
    AdapterSim adapter(adapterConfig(AdapterKind::Full), demoChip());
    SimSerialPort port{host.clock, adapter};
    TMyForm form{host, port};
    std::vector<std::string> panel;
    host.onRepaint = [&] { panel.push_back(form.model.control("ProcLabel").caption); };
    form.FormCreate();
    ASSERT_TRUE(host.messages.empty()) << host.texts().front();
    ASSERT_EQ(form.st.device.name, kDemoChipName);

    form.Identify1Click();
    EXPECT_NE(std::find(panel.begin(), panel.end(), "Device: " + std::string(kDemoChipName)),
              panel.end());
    form.Read1Click();
    EXPECT_TRUE(host.messages.empty()) << host.texts().front();
    EXPECT_EQ(form.st.ops.lastResult, 1);
    const auto& chip = adapter.chip.memory;
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), form.st.images.program.begin()));
    EXPECT_EQ(form.st.device.name, kDemoChipName);
}

TEST(Demo, SettingsAreWrittenOnAFirstRunOnly) {
    std::string error;
    test::writeSettingsFile("Serialport:COM2\nDevice:27C256\n");
    ASSERT_TRUE(writeDemoSettings(test::testConfigDir(), error));
    EXPECT_EQ(test::readSettingsFile(), "Serialport:COM2\nDevice:27C256\n");
}

} // namespace
} // namespace kestro
