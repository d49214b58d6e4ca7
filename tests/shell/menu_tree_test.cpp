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
    FormModel model;
};

TEST_F(MenuTree, DeviceItemsInSubMenuOrder) {
    std::vector<int> order;
    std::set<std::string> names;
    int items = 0;
    for (const auto& m : model.menus) {
        if (m.deviceIndex < 0) continue;
        ++items;
        order.push_back(m.deviceIndex);
        EXPECT_TRUE(names.insert(m.name).second) << "duplicate " << m.name;
        EXPECT_EQ(m.caption, deviceItemCaption(m.deviceIndex));
        EXPECT_TRUE(m.children.empty());
    }
    EXPECT_EQ(items, 183);
    // Every index with a handler except 23, 24 and 26 has exactly one item, and the
    // items come in ascending order but for the AT90 gaps.
    std::vector<int> expected;
    for (int i = 0; i <= 195; ++i)
        if (hasDeviceHandler(i) && i != 23 && i != 24 && i != 26) expected.push_back(i);
    EXPECT_EQ(order, expected);
}

TEST_F(MenuTree, ItemNamesFollowTheRuleAndItsExceptions) {
    struct Case {
        int index;
        const char* name;
        const char* caption;
        const char* sub;
    };
    const Case cases[] = {
        {0, "AT89C10511", "AT89C1051", "AT89xxx1"},
        {103, "N93C4681", "93C46_8", "N93xxx1"},
        {29, "W78LE511", "W78(L)E51", "Winbond1"},
        {191, "rfHCS3621", "(rf)HCS362", "HCS1"},
        {62, "PIC16C71N", "PIC16C71", "PIC16Cxxx1"},
        {60, "PIC16C7111", "PIC16C711", "PIC16Cxxx1"},
        {113, "N17LV641", "17LV65", "N17xxx1"},
        {114, "N17C641", "17C65", "N17xxx1"},
        {170, "N29C0101", "29C010A", "N29xxx49xxx1"},
        {172, "N29F0101", "29F010", "N29xxx49xxx1"},
        {68, "PIC16F841", "PIC16F84", "PIC16Fxxx1"},
        {147, "DS12451", "DS1245", "RAMNVRAM1"},
        {148, "N622561", "62256", "RAMNVRAM1"},
        {195, "TCN751", "TCN75", "TCN1"},
        {28, "ATMEGA85351", "ATMEGA8535", "AT90sXXX1"},
        {34, "I87481", "I8748", "N87Cxxx1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MenuItem& m = item(c.name);
        EXPECT_EQ(m.deviceIndex, c.index);
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(parentName(m), c.sub);
        EXPECT_EQ(deviceIndexOfHandler(std::string(c.name) + "Click"), c.index);
    }
    EXPECT_EQ(deviceIndexOfHandler("AT90S44331Click"), 23);
    EXPECT_EQ(deviceIndexOfHandler("AT90S44341Click"), 24);
    EXPECT_EQ(deviceIndexOfHandler("AT90S85351Click"), 26);
    EXPECT_EQ(deviceIndexOfHandler("I8751BH1Click"), -1); // 36..45 have no handler
    EXPECT_EQ(model.menuIndex("AT90S44331"), -1);
}

TEST_F(MenuTree, SubMenusHangUnderTheirTopMenus) {
    int subs = 0;
    for (const auto& s : deviceSubMenus()) {
        const MenuItem& m = item(s.name);
        EXPECT_EQ(m.caption, s.caption);
        EXPECT_EQ(parentName(m), s.top);
        ++subs;
    }
    EXPECT_EQ(subs, 27);
    EXPECT_EQ(item("MicroControllers1").children.size(), 12u);
    EXPECT_EQ(item("SerialEEPROMs1").children.size(), 8u);
    EXPECT_EQ(item("ParallelEEPROMs1").children.size(), 5u);
    EXPECT_EQ(item("Others1").children.size(), 2u);
    EXPECT_EQ(item("AT90sXXX1").children.size(), 12u);
}

TEST_F(MenuTree, MenuBarOrderCaptionsAndShortcuts) {
    std::vector<std::string> top;
    for (const auto& m : model.menus)
        if (m.parent < 0) top.push_back(m.caption);
    EXPECT_EQ(top, (std::vector<std::string>{"&File", "P&rocess", "&MicroControllers",
                                             "&Serial (E)EPROMs", "&Parallel (E)EPROMs", "&Others",
                                             "S&etup", "&Help", " "}));
    struct Case {
        const char* name;
        const char* caption;
        const char* shortcut;
        const char* parent;
    };
    const Case cases[] = {
        {"OpenLastFile1", "Open Last File", "Ctrl+L", "File1"},
        {"Open1", "Open", "F3", "File1"},
        {"Save1", "Save", "F2", "File1"},
        {"BufferReset1", "Buffer Reset", "", "File1"},
        {"Exitmnu", "Exit   Alt+F4 or", "F10", "File1"},
        {"EraseProgramSecurity1", "Erase+Program+Security", "", "Process1"},
        {"CheckErase1", "Check Erase", "", "Process1"},
        {"VerifyafterProgram1", "Verify after Program  [   ]", "", "Setup1"},
        {"AutoDataMemoryProgram1", "Auto Data Memory Program  [   ]", "", "Setup1"},
        {"COM41", "COM4", "", "SerialPort1"},
        {"Initialisation1", "Initialisation", "F5", "Setup1"},
        {"HardwareTest1", "Hardware Test", "", "Setup1"},
        {"DeviceinSocket1", "Device in Socket", "F4", "Help1"},
        {"About1", "About", "", "Help1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MenuItem& m = item(c.name);
        EXPECT_EQ(m.caption, c.caption);
        EXPECT_EQ(m.shortcut, c.shortcut);
        EXPECT_EQ(parentName(m), c.parent);
    }
    std::vector<std::string> process;
    for (int c : item("Process1").children) process.push_back(model.menus[static_cast<size_t>(c)].name);
    EXPECT_EQ(process, (std::vector<std::string>{"Identify1", "Read1", "Erase1", "Program1",
                                                 "Verify1", "ProgramSecurity1", "ProgramFuse1",
                                                 "ReadFuse1", "EraseProgram1",
                                                 "EraseProgramSecurity1", "CheckErase1"}));
    // Separators: before Exit, before Serial Port, before About.
    auto separatorBefore = [&](const char* name) {
        const MenuItem& m = item(name);
        const auto& sib = model.menus[static_cast<size_t>(m.parent)].children;
        auto it = std::find(sib.begin(), sib.end(), model.menuIndex(name));
        return it != sib.begin() && model.menus[static_cast<size_t>(*(it - 1))].separator;
    };
    EXPECT_TRUE(separatorBefore("Exitmnu"));
    EXPECT_TRUE(separatorBefore("SerialPort1"));
    EXPECT_TRUE(separatorBefore("About1"));
    const MenuItem& nihil = item("nihil");
    EXPECT_EQ(nihil.caption, " ");
    EXPECT_FALSE(nihil.enabled);
    EXPECT_FALSE(nihil.visible);
}

} // namespace
} // namespace kestro
