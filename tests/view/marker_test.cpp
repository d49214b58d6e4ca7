// The marker area's fields: six hex digits each, the range checked before the order.

#include "view/marker.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

constexpr uint32_t k24C02 = 256;

struct Entry {
    const char* start;
    const char* end;
    uint32_t dataSize;
    const char* message; // null: accepted
    uint32_t startValue;
    uint32_t endValue;
};

TEST(MarkerArea, FieldsAreCheckedAsTheOkButtonChecksThem) {
    const Entry cases[] = {
        {"000000", "0000FF", k24C02, nullptr, 0, 255},
        {"000010", "000010", k24C02, nullptr, 0x10, 0x10},      // one byte
        {"00001a", "0000fF", k24C02, nullptr, 0x1A, 0xFF},      // either case
        {"000100", "0000FF", k24C02, kMarkerRangeMessage, 0x100, 0xFF},
        {"000010", "000008", k24C02, kMarkerOrderMessage, 0x10, 0x08},
        {"1FF", "0000FF", k24C02, kMarkerRangeMessage, k24C02 + 1, 0xFF}, // three digits
        {"000000", "", k24C02, kMarkerRangeMessage, 0, k24C02 + 1},      // empty field
        {"00000G", "0000FF", k24C02, kMarkerRangeMessage, k24C02 + 1, 0xFF},
        {"+00010", "0000FF", k24C02, kMarkerRangeMessage, k24C02 + 1, 0xFF},
        {"0000010", "0000FF", k24C02, kMarkerRangeMessage, k24C02 + 1, 0xFF}, // seven
        // The range test comes first, whatever the order of the two.
        {"0000FF", "zzzzzz", k24C02, kMarkerRangeMessage, 0xFF, k24C02 + 1},
        {"000000", "000000", 0, kMarkerRangeMessage, 0, 0},
        {"000000", "0FFFFF", 0x100000, nullptr, 0, 0xFFFFF},
    };
    for (const Entry& c : cases) {
        SCOPED_TRACE(std::string(c.start) + ":" + c.end);
        const MarkerEntry e = checkMarkerArea(c.start, c.end, c.dataSize);
        if (c.message) {
            ASSERT_NE(e.message, nullptr);
            EXPECT_STREQ(e.message, c.message);
        } else {
            EXPECT_EQ(e.message, nullptr);
        }
        EXPECT_EQ(e.start, c.startValue);
        EXPECT_EQ(e.end, c.endValue);
    }
}

} // namespace
} // namespace kestro
