#include "link_fixture.h"

namespace kestro {
namespace {

using Handshake = test::LinkFixture;
constexpr test::LinkFixture::Ranges kAlwaysDisabled{{4, 4}, {115, 118}};

TEST_F(Handshake, SerialAdapterKeepsOnlyWhatItServes) {
    useAdapter(AdapterKind::Serial); // every capability bit set
    startLinkOn(0);
    EXPECT_TRUE(form.handshake());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(st.adapter.serialAdapter, 1);
    EXPECT_EQ(st.adapter.socketVariant, 4);
    const Ranges kept{{10, 15}, {17, 20}, {22, 31}, {46, 49}, {58, 101}};
    EXPECT_EQ(enabledItems(), items(kept));
    EXPECT_EQ(withdrawn(), indexes({{0, 9}, {16, 16}, {21, 21}, {32, 45}, {50, 57}, {102, 195}}));
}

TEST_F(Handshake, FullAdapterEnablesEverythingButTheFiveFixedItems) {
    useAdapter(AdapterKind::Full); // bit 62 cleared
    startLinkOn(0);
    EXPECT_TRUE(form.handshake());
    EXPECT_EQ(st.adapter.serialAdapter, 0);
    EXPECT_TRUE(withdrawn().empty());
    EXPECT_EQ(enabledItems(), items(kAlwaysDisabled, false));
    for (const char* name : {"AT89C51RC1", "N17LV1281", "N17C1281", "N17LV2561", "N17C2561"})
        EXPECT_FALSE(form.model.menu(name).enabled) << name;
}

TEST_F(Handshake, FamilyBitsWithdrawTheirFamiliesAndTheDependentChips) {
    useAdapter(AdapterKind::Full);
    adapter.config.capabilityMap[1] &= ~0x01; // bit 8: family 8, which holds the 24C02
    startLinkOn(0);
    EXPECT_TRUE(form.handshake());
    EXPECT_EQ(withdrawn(), indexes({{113, 129}, {139, 143}})); // and the SDA25xx with it
    EXPECT_EQ(enabledItems(), items({{4, 4}, {113, 129}, {139, 143}}, false));

    adapter.config = adapterConfig(AdapterKind::Full);
    adapter.config.capabilityMap[0] &= ~0x80; // bit 7: family 7, with the 93C46 x16
    adapter.config.capabilityMap[1] &= ~0x10; // bit 12: the 27Cxx and the TMP47P443 (33)
    EXPECT_TRUE(form.handshake());
    EXPECT_EQ(withdrawn(), indexes({{33, 33}, {102, 112}, {136, 138}, {149, 163}}));
}

TEST_F(Handshake, BitsOutsideTheFamiliesSetTheAdapterKindAndSocket) {
    useAdapter(AdapterKind::Socket5); // bits 62 and 63 cleared
    adapter.config.capabilityMap[3] = 0x00; // bits 24..31 mean nothing
    startLinkOn(0);
    EXPECT_TRUE(form.handshake());
    EXPECT_EQ(st.adapter.socketVariant, 5);
    EXPECT_EQ(st.adapter.serialAdapter, 0);
    EXPECT_TRUE(withdrawn().empty());
}

TEST_F(Handshake, InfoLinesReachTheAboutBox) {
    startLinkOn(0);
    ASSERT_TRUE(form.handshake());
    const std::string first = "Kestro Adapter Simulator        ";
    EXPECT_STREQ(st.adapter.infoLines[0].data(), first.c_str());
    EXPECT_EQ(form.aboutText().substr(0, 33), first + "\n");
    EXPECT_EQ(std::string(st.adapter.infoLines[1].data()).substr(0, 19), "Firmware version 29");
}

TEST_F(Handshake, WrongVersionIsRefusedAfterTheFourLinesAndLeavesTheMenus) {
    useAdapter(AdapterKind::Serial);
    startLinkOn(0);
    ASSERT_TRUE(form.handshake());
    const auto menusBefore = enabledItems();

    useAdapter(AdapterKind::WrongVersion); // version 28
    EXPECT_FALSE(form.handshake());
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Incorrect PC Program Version !"});
    EXPECT_TRUE(adapter.output().empty()); // all 137 reply bytes were read first
    EXPECT_EQ(std::string(st.adapter.infoLines[1].data()).substr(0, 19), "Firmware version 28");
    EXPECT_TRUE(withdrawn().empty());
    EXPECT_EQ(enabledItems(), menusBefore);
    EXPECT_EQ(st.adapter.serialAdapter, 1);
}

TEST_F(Handshake, WrongChecksumStopsBeforeTheLines) {
    useAdapter(AdapterKind::WrongChecksum);
    startLinkOn(0);
    EXPECT_FALSE(form.handshake());
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Checksum Error !"});
    EXPECT_EQ(adapter.output().size(), 4u * 32u); // the lines were never asked for
    EXPECT_EQ(st.adapter.infoLines[0][0], '\0');
    EXPECT_TRUE(withdrawn().empty());
}

TEST_F(Handshake, NoAdapterAtStartUpGivesOneTimeoutAndEveryChip) {
    adapter.faults.silentFromByte = 1;
    form.FormCreate();
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Serial Communication Timeout Error !"});
    EXPECT_EQ(host.clock.nowMs, 2520u); // one byte's time-out, not one per packet byte
    EXPECT_EQ(st.ops.lastResult, 0);
    EXPECT_TRUE(withdrawn().empty());
    EXPECT_EQ(enabledItems(), items({}, false)); // the menus as built
    EXPECT_EQ(st.device.index, 0);
}

TEST_F(Handshake, ReplyCutShortShowsTheTimeout) {
    adapter.faults.silentFromByte = 17; // answers the packet but not its terminator
    startLinkOn(0);
    EXPECT_FALSE(form.handshake());
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Serial Communication Timeout Error !"});
    EXPECT_EQ(adapter.received.size(), 17u);
}

TEST_F(Handshake, StartUpMovesOffAWithdrawnDevice) {
    useAdapter(AdapterKind::Serial);
    st.device.index = 3; // AT89C51: not on the serial adapter
    form.FormCreate();
    EXPECT_EQ(st.ops.lastResult, 1);
    EXPECT_EQ(st.device.index, 10); // the lowest it serves
}

TEST_F(Handshake, NothingAllowedSelectsUnknownAtStartUpAndOnInitialisation) {
    useAdapter(AdapterKind::Full);
    adapter.config.capabilityMap[0] = adapter.config.capabilityMap[1] = 0;
    adapter.config.capabilityMap[2] = 0x80; // bits 0..22 all cleared: every family
    form.FormCreate();
    EXPECT_EQ(withdrawn().size(), static_cast<size_t>(kDeviceCount));
    EXPECT_EQ(st.device.index, kUnknownDevice);
    EXPECT_STREQ(st.device.name, "unknown");

    select(68);
    form.Initialisation1Click();
    EXPECT_EQ(host.texts(), std::vector<std::string>{
                                "This Device NOT Allowed !\nWill Set The First Allowed Device."});
    EXPECT_EQ(st.device.index, kUnknownDevice);
    EXPECT_STREQ(st.device.name, "unknown");
}

TEST_F(Handshake, InitialisationReopensRunsTheHandshakeAndFixesTheDevice) {
    useAdapter(AdapterKind::Full);
    form.FormCreate();
    select(3); // AT89C51, fine on the full adapter
    useAdapter(AdapterKind::Serial);
    bool panelShown = false;
    std::string label;
    uint32_t colour = 0;
    adapter.trace = [&](const std::string&) {
        const Control& panel = form.model.control("ProcPanel");
        panelShown = panel.visible && panel.rect.height == 40;
        label = form.model.control("ProcLabel").caption;
        colour = form.model.control("ProcLabel").font.color;
    };
    port.log.clear();
    form.Initialisation1Click();
    EXPECT_TRUE(panelShown);
    EXPECT_EQ(label, "Initialisation...");
    EXPECT_EQ(colour, kWhite);
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
    EXPECT_EQ(port.log, (std::vector<std::string>{"close COM1", "open COM1"}));
    EXPECT_EQ(host.texts(), std::vector<std::string>{
                                "This Device NOT Allowed !\nWill Set The First Allowed Device."});
    EXPECT_EQ(st.device.index, 10);
    EXPECT_STREQ(st.device.name, "AT89S51");
    EXPECT_EQ(enabledItems(), items({{10, 15}, {17, 20}, {22, 31}, {46, 49}, {58, 101}}));
}

TEST_F(Handshake, InitialisationOpensAPortThatFailedBefore) {
    port.unusable["COM1"] = {SerialPort::OpenStatus::OpenFailed, EBUSY};
    form.FormCreate();
    EXPECT_EQ(host.texts(), (std::vector<std::string>{"Could Not Use the 'COM1' Serial Port!",
                                                      "Serial Communication Timeout Error !"}));
    port.unusable.clear(); // the other program let go of it
    form.Initialisation1Click();
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(st.link.portOpen, 1);
    EXPECT_EQ(enabledItems(), items(kAlwaysDisabled, false));
}

} // namespace
} // namespace kestro
