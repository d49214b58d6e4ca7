// Chip types by typed names: case ignored, and the nearest names for a mistyped one.

#include "devices/catalogue.h"
#include "devices/device_names.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

TEST(DeviceNames, AnyCaseFindsTheCatalogueRow) {
    const struct {
        const char* typed;
        int index;
    } cases[] = {{"pic16f84", 68}, {"PIC16F84", 68}, {"at89c52", 6}, {"w78(l)e51", 29},
                 {"29f010", 172}, {"93c46_16", 104}}; // 170 is the menu's 29C010A
    EXPECT_EQ(findDeviceIgnoringCase("29c010a"), 170);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(findDeviceIgnoringCase(c.typed));
        EXPECT_EQ(*findDeviceIgnoringCase(c.typed), c.index);
        EXPECT_EQ(menuName(c.index).size(), std::string(c.typed).size());
    }
    for (const char* none : {"", "unknown", "AT89C5", "PIC16F84 "})
        EXPECT_FALSE(findDeviceIgnoringCase(none)) << none;
}

TEST(DeviceNames, ClosestNamesLeadWithTheLikelyOnes) {
    const auto near = [](const char* typed, size_t n) { return closestDeviceNames(typed, n); };
    EXPECT_EQ(near("AT89C5", 3), (std::vector<std::string_view>{"AT89C51", "AT89C51RC", "AT89C52"}));
    EXPECT_EQ(near("pic16f48", 1).front(), "PIC16F84");  // two letters swapped
    EXPECT_EQ(near("at89s8253", 1).front(), "AT89S8252"); // one letter off
    EXPECT_EQ(near("atmega8516", 2).front(), "ATMEGA8515");
    // The two rows named 29F010 give one name.
    const auto twins = near("29F010", 3);
    EXPECT_EQ(std::count(twins.begin(), twins.end(), "29F010"), 1);
    EXPECT_EQ(near("x", 0).size(), 0u);
    EXPECT_EQ(near("zzzzzzzzzzzz", 5).size(), 5u); // always something to offer
}

} // namespace
} // namespace kestro
