// The hardware test: the panel it borrows, the bytes Send puts on the line, and the
// way back to the fuse panel.

#include "hwtest/pin_pattern.h"
#include "ops/ops_fixture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kestro {
namespace {

using HardwareTest = test::OpsFixture;
using Texts = std::vector<std::string>;

// Every pin x vpp x vce of both socket variants, from the reference table of the
// resulting bytes rather than from the steps that compute them.
TEST(DriveBytes, TheWholeReferenceTable) {
    const uint8_t levels[2][4] = {{0x0E, 0x0E, 0x0C, 0x08}, {0x06, 0x06, 0x04, 0x00}}; // [vce][vpp]
    for (int pin = 0; pin < 5; ++pin)
        for (int vpp = 0; vpp < 4; ++vpp)
            for (int vce = 0; vce < 2; ++vce) {
                const auto where = ::testing::Message() << "pin " << pin << " vpp " << vpp << " vce " << vce;
                // Variant 4.
                uint8_t a = vpp == 0 ? 0xE0 : 0x60;
                if (pin == 4 && vpp == 0) a = 0xC0;
                if (pin == 4 && vpp == 1) a = 0x40;
                const uint8_t orB[5] = {0x08, 0x04, 0x00, 0x02, 0x00};
                const uint8_t b = 0x81 | orB[pin];
                const uint8_t c = levels[vce][vpp] | (pin == 2 ? 0x01 : 0x00);
                const DriveBytes d4 = driveBytes(4, pin, vpp, vce);
                EXPECT_EQ(d4.a, a) << where;
                EXPECT_EQ(d4.b, b) << where;
                EXPECT_EQ(d4.c, c) << where;
                const DriveBytes d7 = driveBytes(7, pin, vpp, vce); // a variant not reported: as 4
                EXPECT_EQ(std::tie(d7.a, d7.b, d7.c), std::tie(d4.a, d4.b, d4.c)) << where;
                // Variant 5.
                const uint8_t a5 = pin == 1 ? 0xC3 : pin == 4 ? 0x81 : 0xC1;
                const uint8_t b5 = levels[vce][vpp] | (pin == 2 ? 0x01 : 0x00);
                const uint8_t c5 = (vpp == 0 ? 0x0A : 0x08) | (pin == 0 ? 0x20 : pin == 3 ? 0x10 : 0);
                const DriveBytes d5 = driveBytes(5, pin, vpp, vce);
                EXPECT_EQ(d5.a, a5) << where;
                EXPECT_EQ(d5.b, b5) << where;
                EXPECT_EQ(d5.c, c5) << where;
            }
}

TEST(DriveBytes, ThePatternInWords) {
    const uint8_t start4[6] = {0x00, 0x00, 0xFF, 0xE0, 0x89, 0x0E};
    EXPECT_EQ(describeTestPattern(start4, 4),
              "P0: none, P1: none, P2: P2.0-P2.7; VPP 5V on IC32/pin 1, VCE 5V");
    const uint8_t some5[6] = {0x05, 0x80, 0x00, 0xC1, 0x0C, 0x18};
    EXPECT_EQ(describeTestPattern(some5, 5),
              "P0: P0.0 P0.2, P1: P1.7, P2: none; VPP 21V on IC40/pin31, IC32/pin 3, VCE 5V");
    const uint8_t odd[6] = {0, 0, 0, 0x12, 0x34, 0x56};
    EXPECT_EQ(describeTestPattern(odd, 4),
              "P0: none, P1: none, P2: none; drive bytes no setting of the test panel gives");
}

TEST_F(HardwareTest, StartsWithItsPanelThenTheWarning) {
    selectWithChip(6, 6);
    std::vector<std::string> shownWhenWarned;
    host.onMessage = [&](const test::ShownMessage&) {
        shownWhenWarned.push_back(form.model.control("FuseLabel").caption);
        shownWhenWarned.push_back(form.model.control("ComboBox1").items.back());
    };
    form.HardwareTest1Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Remove Devices From Sockets !");
    EXPECT_EQ(host.messages[0].caption, "WARNING !");
    EXPECT_EQ(host.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(shownWhenWarned, (Texts{"Hardware Test Settings", "IC40/pin31, IC20/pin 1"}));
    EXPECT_FALSE(unlocked());
    EXPECT_FALSE(form.model.control("ProgDatButt").enabled);
    EXPECT_EQ(form.model.defaultButton, form.model.controlIndex("ConfigLargeButton"));
    EXPECT_EQ(form.model.control("ConfigLargeButton").caption, "Send");
    EXPECT_EQ(form.model.control("GroupBox9").caption, "P2 Port:");
    EXPECT_EQ(form.model.control("CheckListBox3").items.back(), "P2.7");
    EXPECT_EQ(form.model.control("ComboBox3").itemIndex, 0);
    EXPECT_EQ(form.model.control("CheckListBox2").rect, (Rect{93, 195, 65, 110}));
}

TEST_F(HardwareTest, SendCarriesThePatternAndCancelStopsIt) {
    selectWithChip(6, 6);
    form.HardwareTest1Click();
    form.model.control("CheckListBox3").itemChecked.assign(8, 1); // all of P2
    form.ConfigLargeButtonClick(); // Send
    ASSERT_EQ(adapter.packets.size(), 1u);
    const auto& p = adapter.packets[0];
    EXPECT_EQ(p[kPosCommand], static_cast<uint8_t>(Command::HardwareTest));
    EXPECT_EQ((std::vector<uint8_t>(p.begin() + 3, p.begin() + 9)),
              (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0xE0, 0x89, 0x0E}));
    EXPECT_TRUE(adapter.hardwareTestOn);

    form.Config2ButtonClick();
    // The AT89C52's own panel again, built from the fuse bytes: its four-level lock list.
    EXPECT_EQ(form.model.control("FuseLabel").caption, "Config bits:");
    const Control& lock = form.model.control("ComboBox1");
    EXPECT_EQ(lock.items, (Texts{"Unprogrammed", "Program disable", "Program, Read disable",
                                 "Program, Read, ext PS disable"}));
    EXPECT_EQ(lock.itemIndex, 0);
    EXPECT_FALSE(form.model.control("CheckListBox3").visible);
    EXPECT_EQ(sent().back(), kStopByte);
    EXPECT_FALSE(adapter.hardwareTestOn);
    EXPECT_EQ(form.model.defaultButton, -1);
    EXPECT_EQ(st.hwTest.mode, 0);
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(form.model.control("ProgDatButt").enabled);
    EXPECT_EQ(texts(), Texts{"Remove Devices From Sockets !"});
}

TEST_F(HardwareTest, AnUnpluggedAdapterStillLetsTheTestEnd) {
    selectWithChip(6, 6);
    form.HardwareTest1Click();
    silentFrom(1);
    form.ConfigLargeButtonClick();
    EXPECT_EQ(texts().back(), "Serial Communication Timeout Error !");
    form.Config2ButtonClick(); // no echo awaited, no message
    EXPECT_EQ(texts().back(), "Serial Communication Timeout Error !");
    EXPECT_TRUE(unlocked());
}

} // namespace
} // namespace kestro
