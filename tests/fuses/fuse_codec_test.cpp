// Fuse settings by name, without a window: what a command-line front end does.

#include "fuses/fuse_codec.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestro {
namespace {

const Setting& named(const std::vector<Setting>& all, std::string_view group,
                     std::string_view caption = {}) {
    const auto it = std::find_if(all.begin(), all.end(), [&](const Setting& s) {
        return s.group == group && s.caption == caption;
    });
    EXPECT_NE(it, all.end()) << group << " " << caption;
    return *it;
}

TEST(FuseCodec, SettingsAreNamedAsThePanelShowsThem) {
    const auto pic = settingsOf(59); // PIC16CE625: its fourth box is never shown
    ASSERT_EQ(pic.size(), 6u);
    EXPECT_EQ(named(pic, "Oscillator:").choices.size(), 4u);
    EXPECT_EQ(named(pic, "Code Protect:").choices[3], "ON 0000h-07FFh");
    EXPECT_EQ(named(pic, "Fuses:", "Brown-out reset enable").control, 2);
    EXPECT_EQ(named(pic, "ID:").kind, SettingKind::Id);

    const auto pic18 = settingsOf(98); // the same item text in three lists
    EXPECT_EQ(named(pic18, "Write Protect:", "ON 0200h-1FFFh").control, 2);
    EXPECT_EQ(named(pic18, "Read Protect:", "ON 0000h-01FFh").item, 4);
    EXPECT_TRUE(settingsOf(121).empty());
}

TEST(FuseCodec, DecodeChangeByNameEncode) {
    FuseBytes bytes;
    bytes.config[0] = 0xF1, bytes.config[1] = 0x3F; // PIC16F84, XT
    bytes.id[0] = 0x12, bytes.id[1] = 0x34;
    FuseValues v = decode(68, bytes);
    const auto settings = settingsOf(68);
    EXPECT_EQ(named(settings, "Oscillator:").choices[size_t(v.list[0])], "XT");
    EXPECT_EQ(v.id, "1234");
    v.box[size_t(named(settings, "Fuses:", "Code protect ON").control)] = true;
    EXPECT_EQ(encode(68, v, bytes), ReadBack::Ok);
    EXPECT_EQ(bytes.config[0], 0x01);
    EXPECT_EQ(bytes.config[1], 0x00);

    v.id = "12";
    EXPECT_EQ(encode(68, v, bytes), ReadBack::BadId);
    EXPECT_EQ(bytes.id[0], 0x12);
}

} // namespace
} // namespace kestro
