#include "devices/catalogue.h"
#include "devices/device_state.h"
#include "devices/traits.h"
#include "shell/menu_tree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestro {
namespace {

TEST(Traits, AlwaysDisabledItemsAreTheFiveTheMenusName) {
    std::set<std::string> names;
    for (int i = 0; i < kDeviceCount; ++i)
        if (traitsOf(i).menuAlwaysDisabled) names.insert(deviceItemName(i));
    EXPECT_EQ(names, (std::set<std::string>{"AT89C51RC1", "N17LV1281", "N17C1281", "N17LV2561",
                                            "N17C2561"}));
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
