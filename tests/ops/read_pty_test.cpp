// Read and Identify end to end: the termios port against the adapter double on a pty.

#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/served_pty.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(ReadOverPty, GridShowsTheChipAndIdentifyNamesIt) {
    SimChip chip = SimChip::blank(6); // AT89C52
    for (size_t i = 0; i < chip.memory.size(); ++i) chip.memory[i] = static_cast<uint8_t>(i * 7);
    test::Served sim(AdapterKind::Full, {}, chip);
    test::writeSettingsFile("Serialport:COM1\nDevice:AT89C52\nVerify:Disabled\nDataProg:Disabled\n");
    test::FakeHost host;
    PosixSerialPort port;
    TMyForm form{host, port};
    std::vector<std::string> panel;
    host.onRepaint = [&] { panel.push_back(form.model.control("ProcLabel").caption); };
    form.FormCreate();
    ASSERT_TRUE(host.messages.empty());
    ASSERT_EQ(form.st.device.index, 6);

    form.Read1Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form.st.ops.lastResult, 1);
    for (size_t i = 0; i < 8192; ++i)
        ASSERT_EQ(form.st.images.program[i], static_cast<uint8_t>(i * 7)) << i;
    EXPECT_EQ(form.cellText(1, 0), "000000h");
    EXPECT_EQ(form.cellText(1, 2), "07");
    EXPECT_EQ(form.cellText(512, 0), "001FF0h");

    panel.clear();
    form.Identify1Click();
    EXPECT_NE(std::find(panel.begin(), panel.end(), "Device: AT89C52"), panel.end());
    form.FormClose();
}

TEST(ReadOverPty, AMarkerAreaMovesOnlyItsWindow) {
    SimChip chip = SimChip::blank(121); // 24C02: 256 bytes, byte addressed
    for (size_t i = 0; i < chip.memory.size(); ++i) chip.memory[i] = static_cast<uint8_t>(i ^ 0x5A);
    test::Served sim(AdapterKind::Full, {}, chip);
    test::writeSettingsFile("Serialport:COM1\nDevice:24C02\nVerify:Disabled\nDataProg:Disabled\n");
    test::FakeHost host;
    PosixSerialPort port;
    TMyForm form{host, port};
    form.FormCreate();
    ASSERT_EQ(form.st.device.index, 121);
    form.MarkerArea1Click();
    form.model.control("StartEdit").caption = "000020";
    form.model.control("EndEdit").caption = "00002f";
    form.MarkerOKButtonClick();
    form.Read1Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form.st.ops.lastResult, 1);
    for (size_t i = 0; i < 256; ++i) {
        const bool inside = i >= 0x20 && i <= 0x2F;
        ASSERT_EQ(form.st.images.program[i], inside ? static_cast<uint8_t>(i ^ 0x5A) : 0xFF) << i;
    }
    EXPECT_EQ(form.model.control("PosLabel").caption, "0000A0h"); // counted from the start
    // One block of the window's sixteen bytes was asked for, from its start.
    const auto& p = form.st.link.packet;
    EXPECT_EQ(p[kPosStart0], 0x20);
    EXPECT_EQ(p[kPosCountLow], 0);
    EXPECT_EQ(p[kPosLastLength], 16);
    form.FormClose();
}

} // namespace
} // namespace kestro
