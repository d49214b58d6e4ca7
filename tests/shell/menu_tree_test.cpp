#include "devices/catalogue.h"
#include "shell/form_model.h"
#include "shell/menu_tree.h"

#include <gtest/gtest.h>

#include <set>

namespace kestro {
namespace {

class MenuTree : public ::testing::Test {
protected:
    void SetUp() override { buildMainMenu(model); }
    const MenuItem& item(std::string_view name) { return model.menu(name); }
    std::string parentName(const MenuItem& m) {
        return m.parent < 0 ? "" : model.menus[static_cast<size_t>(m.parent)].name;
    }
    std::vector<std::string> childNames(std::string_view name) {
        std::vector<std::string> v;
        for (int c : item(name).children) v.push_back(model.menus[static_cast<size_t>(c)].name);
        return v;
    }
    FormModel model;
};

TEST_F(MenuTree, DeviceItemsInSubMenuOrder) {
    std::vector<int> order;
    std::set<std::string> names;
    for (const auto& m : model.menus) {
        if (m.deviceIndex < 0) continue;
        order.push_back(m.deviceIndex);
        EXPECT_TRUE(names.insert(m.name).second) << "duplicate " << m.name;
        EXPECT_EQ(m.caption, deviceItemCaption(m.deviceIndex));
        EXPECT_TRUE(m.children.empty());
    }
    EXPECT_EQ(order.size(), 183u);
    // One item per chip type in ascending order; the AT90S4433/4434 and AT90S8535
    // (23, 24, 26) and the 89C/87C parts 36..45 have none.
    std::vector<int> expected;
    for (auto [first, last] : {std::pair{0, 22}, {25, 25}, {27, 35}, {46, 195}})
        for (int i = first; i <= last; ++i) expected.push_back(i);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(childNames("MicroControllers1").size(), 12u);
    EXPECT_EQ(childNames("SerialEEPROMs1").size(), 8u);
    EXPECT_EQ(childNames("ParallelEEPROMs1").size(), 5u);
    EXPECT_EQ(childNames("Others1").size(), 2u);
}

TEST_F(MenuTree, ItemsWithTheirCaptionShortcutAndParent) {
    struct Case {
        const char* name;
        const char* caption;
        const char* shortcut;
        const char* parent;
        int device;
    };
    const Case cases[] = {
        {"N93C4681", "93C46_8", "", "N93xxx1", 103}, // leading digit, underscore
        {"W78LE511", "W78(L)E51", "", "Winbond1", 29}, // brackets
        {"rfHCS3621", "(rf)HCS362", "", "HCS1", 191},
        {"PIC16C71N", "PIC16C71", "", "PIC16Cxxx1", 62}, // the exceptions to the rule
        {"N17LV641", "17LV65", "", "N17xxx1", 113},
        {"N17C641", "17C65", "", "N17xxx1", 114},
        {"N29C0101", "29C010A", "", "N29xxx49xxx1", 170},
        {"N29F0101", "29F010", "", "N29xxx49xxx1", 172},
        {"OpenLastFile1", "Open Last File", "Ctrl+L", "File1", -1},
        {"Open1", "Open", "F3", "File1", -1},
        {"Save1", "Save", "F2", "File1", -1},
        {"Exitmnu", "Exit   Alt+F4 or", "F10", "File1", -1},
        {"VerifyafterProgram1", "Verify after Program  [   ]", "", "Setup1", -1},
        {"COM41", "COM4", "", "SerialPort1", -1},
        {"Initialisation1", "Initialisation", "F5", "Setup1", -1},
        {"DeviceinSocket1", "Device in Socket", "F4", "Help1", -1},
        {"About1", "About", "", "Help1", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MenuItem& m = item(c.name);
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(m.shortcut, c.shortcut);
        EXPECT_EQ(parentName(m), c.parent);
        EXPECT_EQ(m.deviceIndex, c.device);
        EXPECT_EQ(deviceIndexOfHandler(std::string(c.name) + "Click"), c.device);
    }
    // Handlers without an item; 36..45 have neither.
    EXPECT_EQ(deviceIndexOfHandler("AT90S44331Click"), 23);
    EXPECT_EQ(deviceIndexOfHandler("AT90S44341Click"), 24);
    EXPECT_EQ(deviceIndexOfHandler("AT90S85351Click"), 26);
    EXPECT_EQ(model.menuIndex("AT90S44331"), -1);
    EXPECT_EQ(deviceIndexOfHandler("I8751BH1Click"), -1);
}

TEST_F(MenuTree, MenuBarProcessMenuSeparatorsAndNihil) {
    std::vector<std::string> top;
    for (const auto& m : model.menus)
        if (m.parent < 0) top.push_back(m.caption);
    EXPECT_EQ(top, (std::vector<std::string>{"&File", "P&rocess", "&MicroControllers",
                                             "&Serial (E)EPROMs", "&Parallel (E)EPROMs", "&Others",
                                             "S&etup", "&Help", " "}));
    EXPECT_EQ(childNames("Process1"),
              (std::vector<std::string>{"Identify1", "Read1", "Erase1", "Program1", "Verify1",
                                        "ProgramSecurity1", "ProgramFuse1", "ReadFuse1",
                                        "EraseProgram1", "EraseProgramSecurity1", "CheckErase1"}));
    // Separators: before Exit, before Serial Port, before About.
    for (const char* name : {"Exitmnu", "SerialPort1", "About1"}) {
        const auto& siblings = model.menus[static_cast<size_t>(item(name).parent)].children;
        const auto it = std::find(siblings.begin(), siblings.end(), model.menuIndex(name));
        ASSERT_NE(it, siblings.begin()) << name;
        EXPECT_TRUE(model.menus[static_cast<size_t>(*(it - 1))].separator) << name;
    }
    const MenuItem& nihil = item("nihil");
    EXPECT_EQ(nihil.caption, " ");
    EXPECT_FALSE(nihil.enabled);
    EXPECT_FALSE(nihil.visible);
}

} // namespace
} // namespace kestro
