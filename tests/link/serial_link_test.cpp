#include "link_fixture.h"
#include "support/test_config.h"

#include <cerrno>

namespace kestro {
namespace {

using SerialLink = test::LinkFixture;
using Status = SerialPort::OpenStatus;
using Texts = std::vector<std::string>;

TEST_F(SerialLink, StartUpWithThePortAbsentStillComesUp) {
    port.unusable["COM2"] = {Status::OpenFailed, ENOENT};
    test::writeSettingsFile("Serialport:COM2\nDevice:AT89C51\nVerify:Disabled\nDataProg:Disabled\n");
    form.FormCreate();
    EXPECT_EQ(host.texts(), (Texts{"Could Not Use the 'COM2' Serial Port!",
                                   "Serial Communication Timeout Error !"}));
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM2");
    EXPECT_EQ(st.link.portOpen, 0);
    EXPECT_TRUE(withdrawn().empty()); // every chip stays selectable
    // Later operations: a closed port answers nothing, at once.
    EXPECT_FALSE(sendCommand(form.ops, Command::ReadProgram));
    EXPECT_EQ(host.texts().back(), "Serial Communication Timeout Error !");
    EXPECT_FALSE(form.link.writeByte(0x12));
    EXPECT_EQ(host.clock.nowMs, 0u);
    EXPECT_TRUE(adapter.received.empty());
}

TEST_F(SerialLink, OpenFailuresNameTheirStepAndError) {
    port.unusable["COM1"] = {Status::GetStateFailed, ENOTTY};
    port.unusable["COM2"] = {Status::SetStateFailed, EIO};
    for (int index : {5, 0, 5, 1}) { // outside the four, the name stays as it was
        startLinkOn(index);
        EXPECT_EQ(form.model.control("ComLabel").caption, "COM" + std::to_string(index + 1));
    }
    EXPECT_EQ(host.texts(), (Texts{"Could Not Use the '' Serial Port!", "GetCommState Error! (25)",
                                   "GetCommState Error! (25)", "SetCommState Error! (5)\n"}));
    EXPECT_EQ(st.link.portOpen, 0);
}

TEST_F(SerialLink, SwitchingAnOpenPortReopensAClosedOneIsOnlyRemembered) {
    startLinkOn(0);
    form.COM31Click();
    EXPECT_EQ(port.log, (Texts{"open COM1", "close COM1", "open COM3"}));
    EXPECT_EQ(st.settings.portIndex, 2);
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM3");
    // Nothing is attached to COM3: a byte goes unanswered for its whole time-out.
    EXPECT_EQ(form.link.exchange(0x5C), kLinkTimeout);
    EXPECT_EQ(host.clock.nowMs, 2520u);
    form.COM11Click();
    EXPECT_EQ(form.link.exchange(0x5C), kLinkOk);

    port.unusable["COM2"] = {Status::OpenFailed, EBUSY};
    form.COM21Click();
    ASSERT_EQ(st.link.portOpen, 0);
    form.COM41Click();
    EXPECT_EQ(port.log.back(), "open COM2 failed");
    EXPECT_EQ(st.settings.portIndex, 3);
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM4");
    EXPECT_EQ(st.link.portOpen, 0);
    form.openPort(); // as Initialisation does
    EXPECT_EQ(port.openName(), "COM4");
}

TEST_F(SerialLink, CloseFailureKeepsThePortMarkedOpen) {
    startLinkOn(0);
    port.failClose = true;
    form.closePort();
    EXPECT_EQ(host.texts(), Texts{"COM Close Error !"});
    EXPECT_EQ(st.link.portOpen, 1);
    form.FormClose(); // shut-down tries again
    EXPECT_EQ(host.texts().size(), 2u);
}

} // namespace
} // namespace kestro
