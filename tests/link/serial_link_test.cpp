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
    EXPECT_EQ(form.sendCommandPacket(Command::ReadProgram), 1);
    EXPECT_EQ(host.texts().back(), "Serial Communication Timeout Error !");
    EXPECT_EQ(host.clock.nowMs, 0u);
    EXPECT_TRUE(adapter.received.empty());
}

TEST_F(SerialLink, PortIndexOutsideTheFourLeavesTheNameEmpty) {
    st.settings.portIndex = 5;
    form.startLink();
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM6");
    EXPECT_EQ(st.link.portName, "");
    EXPECT_EQ(host.texts(), Texts{"Could Not Use the '' Serial Port!"});
}

TEST_F(SerialLink, OpenFailuresNameTheirStepAndError) {
    port.unusable["COM1"] = {Status::GetStateFailed, ENOTTY};
    port.unusable["COM2"] = {Status::SetStateFailed, EIO};
    startLinkOn(0);
    form.COM21Click(); // closed: only remembered
    form.reopenPort();
    EXPECT_EQ(host.texts(), (Texts{"GetCommState Error! (25)", "SetCommState Error! (5)\n"}));
    EXPECT_EQ(st.link.portOpen, 0);
}

TEST_F(SerialLink, SwitchingAnOpenPortClosesItAndOpensTheNewOne) {
    startLinkOn(0);
    ASSERT_EQ(st.link.portOpen, 1);
    form.COM31Click();
    EXPECT_EQ(port.log, (Texts{"open COM1", "close COM1", "open COM3"}));
    EXPECT_EQ(st.settings.portIndex, 2);
    EXPECT_EQ(st.link.portName, "COM3");
    EXPECT_EQ(port.openName(), "COM3");
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM3");
    // Nothing is attached to COM3: a byte goes unanswered for its whole time-out.
    EXPECT_EQ(form.exchange(0x5C), kLinkTimeout);
    EXPECT_EQ(host.clock.nowMs, 2520u);
    form.COM11Click();
    EXPECT_EQ(form.exchange(0x5C), kLinkOk);
}

TEST_F(SerialLink, SwitchingAClosedPortOnlyRemembersIt) {
    port.unusable["COM1"] = {Status::OpenFailed, EBUSY};
    startLinkOn(0);
    form.COM41Click();
    EXPECT_EQ(port.log, Texts{"open COM1 failed"});
    EXPECT_EQ(st.link.portName, "COM4");
    EXPECT_EQ(st.settings.portIndex, 3);
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM4");
    EXPECT_EQ(st.link.portOpen, 0);
    form.reopenPort(); // Initialisation or a block retry opens it
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

TEST_F(SerialLink, ClosedPortNeitherWritesNorWaits) {
    EXPECT_FALSE(form.writeByte(0x12));
    EXPECT_EQ(form.readByte(), 0);
    EXPECT_EQ(st.link.readStatus, kReadNothing);
    EXPECT_EQ(form.exchange(0x12), kLinkTimeout);
    EXPECT_TRUE(adapter.received.empty());
    EXPECT_EQ(host.clock.nowMs, 0u);
    EXPECT_TRUE(port.log.empty());
}

TEST_F(SerialLink, EchoedExchangeResults) {
    startLinkOn(0);
    EXPECT_EQ(form.exchange(0x07), kLinkOk);
    EXPECT_EQ(st.link.readStatus, kReadOk);
    adapter.faults.wrongEchoFromByte = 2; // from now on every byte comes back different
    for (uint8_t b : {0x00, 0x55, 0xFF, 0x75}) EXPECT_EQ(form.exchange(b), kLinkEchoDiffered) << +b;
    adapter.faults.silentFromByte = 6;
    EXPECT_EQ(form.exchange(0x07), kLinkTimeout);
    EXPECT_EQ(st.link.readStatus, kReadNothing);
    EXPECT_EQ(host.clock.nowMs, 2520u);
}

TEST_F(SerialLink, CountedReadEndsOnTheIntervalOrTheBudget) {
    startLinkOn(0);
    select(121); // 24C02: two blocks of 128
    st.images.view = DataView;
    form.computeTransferRange();
    adapter.faults.shortBlock = Repeat::Once;
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    ASSERT_EQ(form.exchange(kBlockRequest), kLinkOk);
    form.readByte(); // checksum
    uint8_t block[128];
    EXPECT_EQ(form.readBlock(block, 128), 127u);
    EXPECT_EQ(host.clock.nowMs, 120u); // the gap after the last byte ended it
    EXPECT_EQ(form.readBlock(block, 128), 0u);
    EXPECT_EQ(host.clock.nowMs, 120u + 2500u + 20u * 128u);
}

TEST_F(SerialLink, HangUpIsSilenceUntilTheTimeout) {
    startLinkOn(0);
    adapter.faults.hangUpAtByte = 3;
    EXPECT_EQ(form.sendCommandPacket(Command::Handshake), 1);
    EXPECT_EQ(host.texts(), Texts{"Serial Communication Timeout Error !"});
    EXPECT_EQ(host.clock.nowMs, 2520u);
    EXPECT_FALSE(form.writeByte(0x00)); // a dead line refuses writes
}

} // namespace
} // namespace kestro
