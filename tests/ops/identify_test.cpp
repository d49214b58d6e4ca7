#include "devices/signatures.h"
#include "ops/ops_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using Identification = test::OpsFixture;
using Texts = std::vector<std::string>;

// How a read signature is matched ("any", "other"); that every chip is found from its
// own is the chip table's test.
TEST(Signatures, TableRules) {
    EXPECT_EQ(signatureDevice({0x1E, 0x51, 0x07}), 4);
    EXPECT_EQ(signatureDevice({0x1E, 0x51, 0x00}), 3);  // "other" variant
    EXPECT_EQ(signatureDevice({0x1E, 0x90, 0x05}), 17);
    EXPECT_EQ(signatureDevice({0x1E, 0x90, 0x33}), 14);
    EXPECT_EQ(signatureDevice({0x1E, 0x91, 0x02}), 196); // no "other" row for 0x91
    EXPECT_EQ(signatureDevice({0x89, 0x58, 0xFB}), 42);
    EXPECT_EQ(signatureDevice({0x89, 0x57, 0x12}), 38);
    EXPECT_EQ(signatureDevice({0x42, 0x42, 0x42}), 196);
}

TEST_F(Identification, AnotherChipOfTheFamilySwitchesTheSelectionAndStopsTheRead) {
    selectWithChip(3, 6); // AT89C51 selected, AT89C52 in the socket
    form.Read1Click();
    EXPECT_EQ(st.device.index, 6);
    EXPECT_EQ(st.device.name, "AT89C52");
    EXPECT_EQ(form.model.control("TypeLabel").caption, "AT89C52");
    EXPECT_EQ(panelTexts, (Texts{"Reading Chip Signature Bytes...", "Set Identifyed Device: AT89C52"}));
    EXPECT_EQ(packetsWith(Command::ReadSignature), 1);
    EXPECT_EQ(packetsWith(Command::ReadProgram), 0); // the read stops without reading
    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(unlocked());
}

TEST_F(Identification, OtherFamiliesAreRejectedUntilTheEighthProbe) {
    selectWithChip(3, 0); // AT89C51 selected, AT89C1051 in the socket
    const uint64_t t0 = host.clock.nowMs;
    form.Identify1Click();
    EXPECT_EQ(packetsWith(Command::ReadSignature), 8);
    EXPECT_EQ(st.device.index, 0);
    // Probe devices travel in the packets: family and index of 3, 38, 43, 3, 9, 22, 12, 0.
    std::vector<int> probes;
    for (const auto& p : adapter.packets) probes.push_back(p[kPosDevice]);
    EXPECT_EQ(probes, (std::vector<int>{3, 38, 43, 3, 9, 22, 12, 0}));
    EXPECT_GE(host.clock.nowMs - t0, 8 * 150u + 1500u);
}

TEST_F(Identification, HighVoltageTinyKeepsItsOwnName) {
    selectWithChip(19, 19); // answers 0x1E 0x90 0x05 like an ATTINY12
    form.Identify1Click();
    EXPECT_EQ(st.device.index, 19);
    EXPECT_EQ(panelTexts.back(), "Device: ATTINY12HV");
    EXPECT_NE(std::find(host.sleeps.begin(), host.sleeps.end(), 1200), host.sleeps.end());
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
}

TEST_F(Identification, NothingRecognisableTakesThirteenReads) {
    selectWithChip(3, kEmptySocket);
    form.Identify1Click(); // menu mode
    EXPECT_EQ(packetsWith(Command::ReadSignature), 13);
    EXPECT_EQ(panelTexts.back(), "Unknown Device.");
    EXPECT_EQ(host.sleeps.back(), 2000);
    EXPECT_EQ(st.device.index, 3);
    EXPECT_EQ(st.device.name, "AT89C51");

    // Ask mode: the answer decides whether the operation goes on.
    adapter.packets.clear();
    host.yesNoAnswers = {MsgAnswer::No};
    form.Read1Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Continue the Process Y/N");
    EXPECT_EQ(host.messages[0].caption, "Unknown Device");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(packetsWith(Command::ReadSignature), 13);
    EXPECT_EQ(packetsWith(Command::ReadProgram), 0);

    adapter.packets.clear();
    host.yesNoAnswers = {MsgAnswer::Yes};
    form.Read1Click();
    EXPECT_EQ(packetsWith(Command::ReadProgram), 1);
    EXPECT_EQ(st.ops.lastResult, 1);
    EXPECT_TRUE(unlocked());
}

TEST_F(Identification, DevicesWithoutSignatureAreNotAsked) {
    for (int device : {68, 92, 121, 153, 7, 30}) {
        selectWithChip(device, device);
        form.Read1Click();
        EXPECT_EQ(packetsWith(Command::ReadSignature), 0) << device;
        EXPECT_EQ(packetsWith(device == 121 || device == 153 ? Command::ReadData : Command::ReadProgram), 1)
            << device;
    }
}

TEST_F(Identification, WithdrawnDeviceCountsAsUnknown) {
    selectWithChip(3, 6);
    st.adapter.allowed[6] = 0;
    form.Identify1Click();
    EXPECT_EQ(st.device.index, 3);
    EXPECT_EQ(panelTexts.back(), "Unknown Device.");
}

TEST_F(Identification, LinkFailureEndsWithTheStartingDevice) {
    selectWithChip(3, 6);
    silentFrom(17); // the packet's last byte gets no echo
    form.Read1Click();
    EXPECT_EQ(texts(), Texts{"Serial Communication Timeout Error !"});
    EXPECT_EQ(st.device.index, 3);
    EXPECT_EQ(st.device.name, "AT89C51");
    EXPECT_EQ(packetsWith(Command::ReadProgram), 0);
    EXPECT_TRUE(unlocked());
}

TEST_F(Identification, ResetPolarityInsteadOfIdentifyForConfigurationProms) {
    selectWithChip(116, 116);
    EXPECT_EQ(form.model.menu("Identify1").caption, "Reset High, OE Low");
    st.fuse.lockMode = 5;
    form.Identify1Click();
    EXPECT_EQ(packetsWith(Command::ReadSignature), 0);
    ASSERT_EQ(packetsWith(Command::ProgramSecurity), 1);
    EXPECT_EQ(adapter.received.back(), 0); // polarity byte 0
    EXPECT_EQ(sent().size(), 18u);
    EXPECT_EQ(panelTexts.front(), "Reset Polarity Settings...");
    EXPECT_EQ(host.sleeps.back(), 500);
    EXPECT_TRUE(unlocked());
}

} // namespace
} // namespace kestro
