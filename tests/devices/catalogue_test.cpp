#include "devices/catalogue.h"
#include "shell/state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestro {
namespace {

TEST(Catalogue, RowsObeyTheirRules) {
    const auto rows = catalogueRows();
    ASSERT_EQ(rows.size(), 196u);
    std::multiset<std::string_view> names;
    for (int i = 0; i < 196; ++i) {
        const CatalogueRow& r = rows[static_cast<size_t>(i)];
        SCOPED_TRACE(std::string(r.name));
        // Family ranges and the repeated per-row family agree.
        ASSERT_TRUE(familyOf(i).has_value());
        EXPECT_EQ(*familyOf(i), r.family);
        EXPECT_LE(r.name.size(), 10u);
        EXPECT_TRUE(r.voltage == 5 || r.voltage == 12 || r.voltage == 21 || r.voltage == 25);
        EXPECT_LE(r.socketPicture, 13);
        EXPECT_NE(r.socketPicture, 11);
        EXPECT_NE(r.socketPicture, 12);
        // Single-memory devices keep the whole memory as data size.
        if (i >= 102) {
            EXPECT_EQ(r.programSize, 0u);
            EXPECT_GT(r.dataSize, 0u);
        } else {
            EXPECT_GE(r.programSize, 1024u);
            EXPECT_LE(r.programSize, 65536u);
            EXPECT_LE(r.dataSize, 2048u); // fits the data buffer
        }
        if (r.programSize >= 256) {
            EXPECT_EQ(r.programSize % 16, 0u);
        }
        if (r.dataSize >= 256) {
            EXPECT_EQ(r.dataSize % 16, 0u);
        }
        EXPECT_LE(r.dataSize, 1048576u);
        // EPROM classes by their definition.
        uint8_t cls = 0;
        if (i == 33 || (i >= 151 && i <= 156)) cls = 1;
        if ((i >= 158 && i <= 163) || i == 177 || i == 178 || i == 179 || i == 184) cls = 2;
        EXPECT_EQ(r.epromClass, cls);
        names.insert(r.name);
    }
    for (auto n : names) {
        EXPECT_EQ(names.count(n), n == "29F010" ? 2u : 1u) << n;
    }
}

TEST(Catalogue, FamilyRangesCoverExactlyTheDevices) {
    int covered = 0;
    for (const auto& r : familyRanges()) covered += r.last - r.first + 1;
    EXPECT_EQ(covered, 196);
    EXPECT_FALSE(familyOf(196).has_value());
    EXPECT_FALSE(familyOf(-1).has_value());
    EXPECT_EQ(*familyOf(33), 12);
    EXPECT_EQ(*familyOf(32), 21);
    EXPECT_EQ(*familyOf(144), 15);
}

TEST(CatalogueLookup, PicFlagExactlyForFamilySix) {
    SelectedDevice d;
    for (int i = 0; i < 196; ++i) {
        d.index = i;
        catalogueLookup(d);
        EXPECT_EQ(d.picFlag, (i >= 46 && i <= 101) ? 1 : 0) << i;
        EXPECT_EQ(d.picFlag == 1, d.family == 6) << i;
    }
}

TEST(CatalogueLookup, NamedRowsGiveTheirValues) {
    SelectedDevice d;
    d.index = 21;
    catalogueLookup(d);
    EXPECT_STREQ(d.name, "ATTINY28");
    EXPECT_EQ(d.programSize, 2048u);
    EXPECT_EQ(d.dataSize, 0u);
    EXPECT_EQ(d.socketPicture, 6);

    d.index = 100;
    catalogueLookup(d);
    EXPECT_EQ(d.programSize, 65536u);
    EXPECT_EQ(d.dataSize, 1024u);

    d.index = 182;
    catalogueLookup(d);
    EXPECT_STREQ(d.name, "29F800");
    EXPECT_EQ(d.dataSize, 1048576u);
    EXPECT_EQ(d.family, 18);

    d.index = 169;
    catalogueLookup(d);
    EXPECT_EQ(d.dataSize, 114688u);

    d.index = 33;
    catalogueLookup(d);
    EXPECT_EQ(d.family, 12);
    EXPECT_EQ(d.epromClass, 1);
    EXPECT_EQ(d.voltage, 12);

    d.index = 191;
    catalogueLookup(d);
    EXPECT_STREQ(d.name, "(rf)HCS362");
    EXPECT_EQ(d.dataSize, 36u);
}

TEST(CatalogueLookup, UnknownRowKeepsFamilyAndPicture) {
    SelectedDevice d;
    d.index = 68; // PIC16F84
    catalogueLookup(d);
    d.index = 196;
    catalogueLookup(d);
    EXPECT_STREQ(d.name, "unknown");
    EXPECT_EQ(d.programSize, 0u);
    EXPECT_EQ(d.dataSize, 0u);
    EXPECT_EQ(d.voltage, 0);
    EXPECT_EQ(d.epromClass, 0);
    EXPECT_EQ(d.family, 6);
    EXPECT_EQ(d.picFlag, 1);
    EXPECT_EQ(d.socketPicture, 5);
}

TEST(CatalogueLookup, IndexBeyondUnknownStopsAfterClearing) {
    SelectedDevice d;
    d.index = 153; // 27C256
    catalogueLookup(d);
    d.index = 197;
    catalogueLookup(d);
    EXPECT_STREQ(d.name, "");
    EXPECT_EQ(d.programSize, 0u);
    EXPECT_EQ(d.dataSize, 0u);
    EXPECT_EQ(d.voltage, 0);
    EXPECT_EQ(d.epromClass, 0);
    EXPECT_EQ(d.family, 12);
    EXPECT_EQ(d.socketPicture, 8);
    EXPECT_EQ(d.picFlag, 0);
}

TEST(CatalogueLookup, NameSearchFindsTheFirstOfTwins) {
    EXPECT_EQ(findDeviceByName("29F010"), 170);
    EXPECT_EQ(findDeviceByName("PIC16F84"), 68);
    EXPECT_FALSE(findDeviceByName("unknown"));
    EXPECT_FALSE(findDeviceByName("pic16f84"));
}

} // namespace
} // namespace kestro
