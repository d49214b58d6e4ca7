#include "link_fixture.h"

namespace kestro {
namespace {

using Handshake = test::LinkFixture;
using Texts = std::vector<std::string>;
const test::LinkFixture::Ranges kAlwaysDisabled{{4, 4}, {115, 118}};
const char* const kNotAllowed = "This Device NOT Allowed !\nWill Set The First Allowed Device.";

TEST_F(Handshake, CapabilityBitsWithdrawDevicesAndSetAdapterAndSocket) {
    struct Case {
        const char* what;
        std::vector<int> clearedBits; // every other bit is set
        int serialAdapter, socketVariant;
        Ranges withdrawn;
    };
    const Case cases[] = {
        {"all set: the serial adapter keeps 10-15, 17-20, 22-31, 46-49, 58-101", {}, 1, 4,
         {{0, 9}, {16, 16}, {21, 21}, {32, 45}, {50, 57}, {102, 195}}},
        {"bit 62: the full adapter", {62}, 0, 4, {}},
        {"bit 8: family 8, and with the 24C02 the SDA25xx", {8, 62}, 0, 4,
         {{113, 129}, {139, 143}}},
        {"bit 7: family 7, and with the 93C46 x16 the 59Cxx; bit 12: 27Cxx and 33",
         {7, 12, 62}, 0, 4, {{33, 33}, {102, 112}, {136, 138}, {149, 163}}},
        {"bit 63: socket variant 5; bits 24..31 mean nothing",
         {24, 25, 26, 27, 28, 29, 30, 31, 62, 63}, 0, 5, {}},
    };
    startLinkOn(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useAdapter(AdapterKind::Serial);
        for (int bit : c.clearedBits)
            adapter.config.capabilityMap[static_cast<size_t>(bit / 8)] &=
                static_cast<uint8_t>(~(1u << (bit % 8)));
        ASSERT_TRUE(form.handshake());
        EXPECT_EQ(st.adapter.serialAdapter, c.serialAdapter);
        EXPECT_EQ(st.adapter.socketVariant, c.socketVariant);
        EXPECT_EQ(withdrawn(), indexes(c.withdrawn));
        Ranges disabled = c.withdrawn;
        disabled.insert(disabled.end(), kAlwaysDisabled.begin(), kAlwaysDisabled.end());
        EXPECT_EQ(enabledItems(), items(disabled, false));
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Handshake, WrongChecksumOrVersionIsRefusedAndLeavesTheMenus) {
    useAdapter(AdapterKind::Serial);
    startLinkOn(0);
    ASSERT_TRUE(form.handshake());
    EXPECT_EQ(form.aboutText().substr(0, 33), "Kestro Adapter Simulator        \n");
    const auto menusBefore = enabledItems();

    useAdapter(AdapterKind::WrongChecksum);
    EXPECT_FALSE(form.handshake());
    EXPECT_EQ(adapter.output().size(), 4u * 32u); // the lines were never asked for
    adapter.output().clear();
    useAdapter(AdapterKind::WrongVersion); // version 28
    EXPECT_FALSE(form.handshake());
    EXPECT_TRUE(adapter.output().empty()); // all 137 reply bytes were read first
    EXPECT_EQ(std::string(st.adapter.infoLines[1].data()).substr(0, 19), "Firmware version 28");
    EXPECT_EQ(host.texts(), (Texts{"Checksum Error !", "Incorrect PC Program Version !"}));
    EXPECT_TRUE(withdrawn().empty());
    EXPECT_EQ(enabledItems(), menusBefore);
    EXPECT_EQ(st.adapter.serialAdapter, 1);
}

TEST_F(Handshake, NoAdapterAtStartUpGivesOneTimeoutAndEveryChip) {
    adapter.faults.silentFromByte = 1;
    form.FormCreate();
    EXPECT_EQ(host.texts(), Texts{"Serial Communication Timeout Error !"});
    EXPECT_EQ(host.clock.nowMs, 2520u); // one byte's time-out, not one per packet byte
    EXPECT_EQ(st.ops.lastResult, 0);
    EXPECT_TRUE(withdrawn().empty());
    EXPECT_EQ(enabledItems(), items({}, false)); // the menus as built
    EXPECT_EQ(st.device.index, 0);
}

TEST_F(Handshake, NothingAllowedSelectsUnknownAtStartUpAndOnInitialisation) {
    useAdapter(AdapterKind::Full);
    adapter.config.capabilityMap[0] = adapter.config.capabilityMap[1] = 0;
    adapter.config.capabilityMap[2] = 0x80; // bits 0..22 all cleared: every family
    form.FormCreate();
    EXPECT_EQ(withdrawn().size(), static_cast<size_t>(kDeviceCount));
    EXPECT_EQ(st.device.index, kUnknownDevice);
    EXPECT_EQ(st.device.name, "unknown");

    select(68);
    form.Initialisation1Click();
    EXPECT_EQ(host.texts(), Texts{kNotAllowed});
    EXPECT_EQ(st.device.index, kUnknownDevice);
    EXPECT_EQ(st.device.name, "unknown");
}

TEST_F(Handshake, InitialisationReopensRunsTheHandshakeAndFixesTheDevice) {
    useAdapter(AdapterKind::Full);
    form.FormCreate();
    select(3); // AT89C51, fine on the full adapter
    useAdapter(AdapterKind::Serial);
    std::string panel; // the operation panel while the adapter is talked to
    adapter.trace = [&](const std::string&) {
        const Control& label = form.model.control("ProcLabel");
        if (form.model.control("ProcPanel").visible && label.font.color == kWhite)
            panel = label.caption;
    };
    port.log.clear();
    form.Initialisation1Click();
    EXPECT_EQ(panel, "Initialisation...");
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
    EXPECT_EQ(port.log, (Texts{"close COM1", "open COM1"}));
    EXPECT_EQ(host.texts(), Texts{kNotAllowed});
    EXPECT_EQ(st.device.index, 10);
    EXPECT_EQ(st.device.name, "AT89S51");
    EXPECT_EQ(enabledItems(), items({{10, 15}, {17, 20}, {22, 31}, {46, 49}, {58, 101}}));
}

} // namespace
} // namespace kestro
