#include "devices/catalogue.h"
#include "devices/traits.h"
#include "session/state.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace kestro {
namespace {

TEST(Catalogue, LookupCopiesTheRowAndNamesAreFoundExactly) {
    for (int i = 0; i < kDeviceCount; ++i) {
        const CatalogueRow& r = chipRow(i);
        SelectedDevice d{.index = i};
        catalogueLookup(d);
        EXPECT_EQ(d.name, r.name);
        EXPECT_EQ(std::tie(d.programSize, d.dataSize, d.family, d.voltage, d.epromClass,
                           d.socketPicture),
                  std::tie(r.programSize, r.dataSize, r.family, r.voltage, r.epromClass,
                           r.socketPicture));
        EXPECT_EQ(d.picFlag, d.family == Family::Pic);
    }
    EXPECT_EQ(catalogueRows().size(), 196u);
    EXPECT_EQ(findDeviceByName("29F010"), 170); // the first of the twins
    EXPECT_EQ(findDeviceByName("PIC16F84"), 68);
    EXPECT_FALSE(findDeviceByName("unknown"));
    EXPECT_FALSE(findDeviceByName("pic16f84"));
}

TEST(Catalogue, LookupAtAndBeyondTheUnknownRow) {
    struct Case {
        int before, index;
        const char* name;
        Family family;
        uint8_t picture; // these two kept from the device before
        bool picFlag;
    };
    const Case cases[] = {
        {68, 196, "unknown", Family::Pic, 5, true}, // PIC16F84
        {153, 197, "", Family::Eprom8Bit, 8, false}, // 27C256: stops after clearing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        SelectedDevice d{.index = c.before};
        catalogueLookup(d);
        d.index = c.index;
        catalogueLookup(d);
        EXPECT_EQ(d.name, c.name);
        EXPECT_EQ(d.programSize, 0u);
        EXPECT_EQ(d.dataSize, 0u);
        EXPECT_EQ(d.voltage, 0);
        EXPECT_EQ(d.epromClass, 0);
        EXPECT_EQ(d.family, c.family);
        EXPECT_EQ(d.socketPicture, c.picture);
        EXPECT_EQ(d.picFlag, c.picFlag);
    }
}

TEST(Traits, WordAddressingFollowsTheFamilyButForTheByteWideVariants) {
    struct Case {
        int index;
        bool words;
    };
    // 93C46 x16 and x8, 93C56 x8, 27C1024 (16-bit EPROM), 27C256, 24C02, AT89C51.
    for (Case c : {Case{104, true}, {103, false}, {106, false}, {177, true}, {153, false},
                   {121, false}, {3, false}}) {
        SelectedDevice d;
        d.index = c.index;
        catalogueLookup(d);
        EXPECT_EQ(wordAddressed(c.index, d.family), c.words) << c.index;
    }
}

} // namespace
} // namespace kestro
