// Program, Verify, Erase and Check Erase end to end: the termios port against the
// adapter double on a pty.

#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/served_pty.h"
#include "support/test_config.h"
#include "support/chips.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using namespace chips;

constexpr size_t kSize = 8192;
constexpr size_t kFirstWritten = 0x1234; // below it the file leaves the chip erased

TEST(ProgramOverPty, ProgramVerifyThenADifferenceUntilCancelThenBlankCheck) {
    test::Served sim(AdapterKind::Full, {}, SimChip::blank(kAt89C52));
    test::writeSettingsFile("Serialport:COM1\nDevice:AT89C52\nVerify:Enabled\nDataProg:Enabled\n");
    test::FakeHost host;
    PosixSerialPort port;
    TMyForm form{host, port};
    std::vector<std::string> panel;
    host.onRepaint = [&] {
        const std::string& t = form.model.control("ProcLabel").caption;
        if (panel.empty() || panel.back() != t) panel.push_back(t);
    };
    const auto shown = [&](const char* text) {
        return std::find(panel.begin(), panel.end(), text) != panel.end();
    };
    form.FormCreate();
    ASSERT_TRUE(host.messages.empty());
    auto& program = form.st.images.program;
    for (size_t i = kFirstWritten; i < kSize; ++i)
        program[i] = static_cast<uint8_t>(i * 13 + 5);

    form.Program1Click(); // "Program+Verify"
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form.st.ops.lastResult, 1);
    EXPECT_TRUE(shown("Chip Content EQUAL With Buffer."));
    EXPECT_TRUE(
        std::equal(program.begin(), program.begin() + kSize, sim.adapter.chip.memory.begin()));

    form.Erase1Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(std::count(sim.adapter.chip.memory.begin(), sim.adapter.chip.memory.end(), 0xFF),
              static_cast<std::ptrdiff_t>(kSize));

    // The erased chip differs from the buffer: the panel holds the address until Cancel.
    int heldPumps = 0;
    host.onPump = [&](int) {
        if (form.model.control("ProcLabel").caption.starts_with("NOT EQUAL") && ++heldPumps == 5)
            form.ProcCancelClick();
    };
    panel.clear();
    form.Verify1Click();
    host.onPump = nullptr;
    EXPECT_EQ(panel.back(), "NOT EQUAL!  Error: 001234h");
    EXPECT_EQ(heldPumps, 5);
    EXPECT_FALSE(form.model.control("ProcPanel").visible);

    // The stop byte left the adapter ready for the next packet.
    panel.clear();
    form.CheckErase1Click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(panel.back(), "EPROM is Empty.");
    form.FormClose();
}

} // namespace
} // namespace kestro
