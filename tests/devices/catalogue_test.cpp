#include "devices/catalogue.h"
#include "session/state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace kestro {
namespace {

TEST(Catalogue, RowsObeyTheirRulesAndLookupCopiesThem) {
    const auto rows = catalogueRows();
    ASSERT_EQ(rows.size(), 196u);
    int covered = 0;
    for (const auto& r : familyRanges()) covered += r.last - r.first + 1;
    EXPECT_EQ(covered, 196);
    EXPECT_FALSE(familyOf(196).has_value());
    EXPECT_FALSE(familyOf(-1).has_value());

    std::multiset<std::string_view> names;
    for (int i = 0; i < 196; ++i) {
        const CatalogueRow& r = rows[static_cast<size_t>(i)];
        SCOPED_TRACE(std::string(r.name));
        names.insert(r.name);
        EXPECT_EQ(familyOf(i), r.family); // the family ranges and the rows agree
        EXPECT_LE(r.name.size(), 10u);
        EXPECT_TRUE(r.voltage == 5 || r.voltage == 12 || r.voltage == 21 || r.voltage == 25);
        EXPECT_TRUE(r.socketPicture <= 10 || r.socketPicture == 13);
        if (i >= 102) { // single memory: all of it counts as data
            EXPECT_EQ(r.programSize, 0u);
            EXPECT_GT(r.dataSize, 0u);
        } else {
            EXPECT_GE(r.programSize, 1024u);
            EXPECT_LE(r.programSize, 65536u);
            EXPECT_LE(r.dataSize, 2048u); // fits the data buffer
        }
        EXPECT_TRUE(r.programSize < 256 || r.programSize % 16 == 0);
        EXPECT_TRUE(r.dataSize < 256 || r.dataSize % 16 == 0);
        EXPECT_LE(r.dataSize, 1048576u);
        uint8_t cls = 0;
        if (i == 33 || (i >= 151 && i <= 156)) cls = 1;
        if ((i >= 158 && i <= 163) || i == 177 || i == 178 || i == 179 || i == 184) cls = 2;
        EXPECT_EQ(r.epromClass, cls);

        SelectedDevice d{.index = i};
        catalogueLookup(d);
        EXPECT_EQ(d.name, r.name);
        EXPECT_EQ(std::tie(d.programSize, d.dataSize, d.family, d.voltage, d.epromClass,
                           d.socketPicture),
                  std::tie(r.programSize, r.dataSize, r.family, r.voltage, r.epromClass,
                           r.socketPicture));
        EXPECT_EQ(d.picFlag, d.family == 6 ? 1 : 0);
    }
    for (auto n : names) EXPECT_EQ(names.count(n), n == "29F010" ? 2u : 1u) << n;
    EXPECT_EQ(findDeviceByName("29F010"), 170); // the first of the twins
    EXPECT_EQ(findDeviceByName("PIC16F84"), 68);
    EXPECT_FALSE(findDeviceByName("unknown"));
    EXPECT_FALSE(findDeviceByName("pic16f84"));
}

TEST(Catalogue, LookupAtAndBeyondTheUnknownRow) {
    struct Case {
        int before, index;
        const char* name;
        uint8_t family, picture, picFlag; // kept from the device before
    };
    const Case cases[] = {
        {68, 196, "unknown", 6, 5, 1}, // PIC16F84
        {153, 197, "", 12, 8, 0},      // 27C256: stops after clearing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        SelectedDevice d{.index = c.before};
        catalogueLookup(d);
        d.index = c.index;
        catalogueLookup(d);
        EXPECT_STREQ(d.name, c.name);
        EXPECT_EQ(d.programSize, 0u);
        EXPECT_EQ(d.dataSize, 0u);
        EXPECT_EQ(d.voltage, 0);
        EXPECT_EQ(d.epromClass, 0);
        EXPECT_EQ(d.family, c.family);
        EXPECT_EQ(d.socketPicture, c.picture);
        EXPECT_EQ(d.picFlag, c.picFlag);
    }
}

} // namespace
} // namespace kestro
