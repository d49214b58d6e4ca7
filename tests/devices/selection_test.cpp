#include "devices/selection_rules.h"
#include "devices/socket_pictures.h"
#include "support/form_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kestro {
namespace {

struct Selection : test::StartedForm {

    std::set<std::string> enabledProcessItems() const {
        std::set<std::string> on;
        for (auto name : kProcessItems)
            if (form.model.menu(name).enabled) on.emplace(name);
        return on;
    }
    std::vector<std::string> visiblePictures() const {
        std::vector<std::string> shown;
        for (const auto& p : socketPictureSpecs())
            if (form.model.control(p.name).visible) shown.emplace_back(p.name);
        return shown;
    }
};

// ---- Process menu ----

TEST_F(Selection, ProcessItemsFollowTheDeviceRange) {
    const std::set<std::string> rwv = {"Read1", "Program1", "Verify1"};
    const auto with = [&](std::initializer_list<const char*> more) {
        std::set<std::string> s = rwv;
        s.insert(more.begin(), more.end());
        return s;
    };
    const std::set<std::string> flash8051 = with(
        {"Identify1", "Erase1", "ProgramSecurity1", "EraseProgram1", "EraseProgramSecurity1"});
    struct Case {
        int index;
        std::set<std::string> on;
    };
    const Case cases[] = {
        {5, flash8051},
        {7, with({"ProgramSecurity1"})},
        {10, with({"Erase1", "ProgramSecurity1", "EraseProgram1", "EraseProgramSecurity1"})},
        {17, with({"Identify1", "Erase1", "ProgramSecurity1", "ProgramFuse1", "ReadFuse1",
                   "EraseProgram1", "EraseProgramSecurity1"})},
        {25, flash8051},
        {30, with({"Erase1", "ProgramSecurity1", "EraseProgram1", "EraseProgramSecurity1"})},
        {36, with({"ProgramSecurity1"})},
        {34, rwv},
        {40, with({"Identify1", "ProgramSecurity1"})},
        {60, with({"ProgramFuse1", "ReadFuse1"})},
        {90, with({"Erase1", "ProgramFuse1", "ReadFuse1", "EraseProgram1"})},
        {75, {"Read1", "Erase1", "Verify1", "ProgramFuse1", "ReadFuse1", "EraseProgram1"}},
        {137, with({"Erase1", "EraseProgram1"})},
        {115, with({"Identify1", "Erase1"})},
        {140, rwv},
        {150, with({"CheckErase1"})},
        {170, with({"Erase1"})},
        {181, with({"Erase1", "CheckErase1"})},
        {190, {"Program1"}},
    };
    for (const Case& c : cases) {
        select(c.index);
        EXPECT_EQ(enabledProcessItems(), c.on) << "device " << c.index;
    }
}

TEST_F(Selection, UnknownDeviceKeepsEverythingButCheckErase) {
    select(190); // leave a narrow row behind first
    select(196);
    std::set<std::string> all(kProcessItems.begin(), kProcessItems.end());
    all.erase("CheckErase1");
    EXPECT_EQ(enabledProcessItems(), all);
    EXPECT_STREQ(st.device.name, "unknown");
}

TEST_F(Selection, EveryChipTypeHasExactlyOneEnablingRow) {
    for (int i = 0; i < 196; ++i) EXPECT_EQ(enablingRowsCovering(i), 1) << i;
    EXPECT_EQ(enablingRowsCovering(196), 0);
}

TEST_F(Selection, SerialAdapterOnlyTakesCommandsFrom12To15) {
    for (int i = 0; i <= 196; ++i) {
        const ProcessEnabling plain = processEnabling(i, false);
        ProcessEnabling expected = plain;
        if (i >= 12 && i <= 15) {
            expected[6] = expected[7] = false; // ProgramFuse1, ReadFuse1
            if (i <= 13) expected[0] = false;  // Identify1
        }
        EXPECT_EQ(processEnabling(i, true), expected) << i;
    }
    st.adapter.serialAdapter = 1;
    select(13);
    EXPECT_FALSE(form.model.menu("Identify1").enabled);
    EXPECT_FALSE(form.model.menu("ReadFuse1").enabled);
    EXPECT_TRUE(form.model.menu("Erase1").enabled);
    select(14);
    EXPECT_TRUE(form.model.menu("Identify1").enabled);
    EXPECT_FALSE(form.model.menu("ProgramFuse1").enabled);
}

// ---- captions ----

TEST_F(Selection, WindowCaptionFollowsSocketVariantAndSerialAdapter) {
    struct Case {
        uint8_t variant;
        uint8_t serial;
        int index;
        const char* caption;
    };
    const Case cases[] = {
        {5, 0, 68, "Kestro"},
        {5, 0, 56, "Kestro - Use Adapter!"},
        {4, 0, 68, "Kestro - Use Adapter!"},
        {4, 0, 56, "Kestro - Use Adapter!"},
        {4, 0, 30, "Kestro - Use Adapter!"},
        {5, 0, 33, "Kestro - Use Adapter!"},
        {5, 0, 180, "Kestro - Use Adapter!"},
        {5, 0, 54, "Kestro"}, // an 18-pin PIC fits variant 5's own socket
        {4, 0, 121, "Kestro"},
        {4, 0, 0, "Kestro"},
        {4, 1, 68, "Kestro - Serial Adapter Active !"},
        {5, 1, 56, "Kestro - Serial Adapter Active !"},
        {5, 1, 121, "Kestro - Serial Adapter Active !"},
    };
    for (const Case& c : cases) {
        st.adapter.socketVariant = c.variant;
        st.adapter.serialAdapter = c.serial;
        select(c.index);
        EXPECT_EQ(form.model.window.caption, c.caption)
            << "device " << c.index << " variant " << int(c.variant) << " serial " << int(c.serial);
    }
}

TEST_F(Selection, ConfigurationPromsRenameIdentifyAndErase) {
    for (int i : {113, 118}) {
        select(i);
        EXPECT_EQ(form.model.menu("Identify1").caption, "Reset High, OE Low");
        EXPECT_EQ(form.model.menu("Erase1").caption, "Reset Low, OE High");
    }
    for (int i : {112, 119}) {
        select(i);
        EXPECT_EQ(form.model.menu("Identify1").caption, "Identify");
        EXPECT_EQ(form.model.menu("Erase1").caption, "Erase");
    }
}

TEST_F(Selection, MarkerAreaOnlyForPlainMemories) {
    for (int i : {0, 101, 185, 195, 196}) {
        select(i);
        EXPECT_FALSE(form.model.menu("MarkerArea1").enabled) << i;
    }
    for (int i : {102, 150, 184}) {
        select(i);
        EXPECT_TRUE(form.model.menu("MarkerArea1").enabled) << i;
    }
}

// ---- what a selection resets ----

TEST_F(Selection, SelectionStartsFromACleanSlate) {
    select(13); // AT89S8252: program and data memory
    st.images.view = DataView;
    st.images.program[0] = 0x12;
    st.images.program[kProgramBufferSize - 1] = 0x34;
    st.images.data[5] = 0x56;
    st.images.idBlock[0] = 1;
    st.images.configBlock[15] = 2;
    st.images.programFileName = "/tmp/a.hex";
    st.images.dataFileName = "/tmp/a.eep";
    st.marker = {16, 31, 1};
    form.model.control("SLabel").caption = "Marker Area  Start Address: 000010h  End Address: 00001Fh";
    st.fuse.largeView = 1;
    st.hwTest.mode = 1;

    select(13); // the same device again
    EXPECT_EQ(st.images.view, ProgramView);
    EXPECT_EQ(st.images.program[0], 0xFF);
    EXPECT_EQ(st.images.program[kProgramBufferSize - 1], 0xFF);
    EXPECT_EQ(st.images.data[5], 0xFF);
    EXPECT_EQ(st.images.idBlock[0], 0xFF);
    EXPECT_EQ(st.images.configBlock[15], 0xFF);
    EXPECT_EQ(st.images.programFileName, "ProgBuf.bin");
    EXPECT_EQ(st.images.dataFileName, "DataBuf.bin");
    EXPECT_EQ(form.model.control("FileLabel").caption, "ProgBuf.bin");
    EXPECT_EQ(st.marker.set, 0);
    EXPECT_EQ(st.marker.start, 0u);
    EXPECT_EQ(st.marker.end, 0u);
    EXPECT_EQ(form.model.control("SLabel").caption, "");
    EXPECT_EQ(st.fuse.largeView, 0);
    EXPECT_EQ(st.hwTest.mode, 0);
    EXPECT_EQ(form.model.control("TypeLabel").caption, "AT89S8252");
    EXPECT_TRUE(form.model.control("ProgDatButt").enabled);
}

TEST_F(Selection, MemoryDeviceOpensInTheDataView) {
    select(121); // 24C02
    EXPECT_EQ(st.images.view, DataView);
    EXPECT_EQ(form.model.control("FileLabel").caption, "DataBuf.bin");
    EXPECT_FALSE(form.model.control("ProgDatButt").enabled);
    select(0);
    EXPECT_EQ(st.images.view, ProgramView);
    EXPECT_EQ(form.model.control("FileLabel").caption, "ProgBuf.bin");
}

TEST_F(Selection, FusePanelIsRebuiltForTheNewDevice) {
    select(68);
    EXPECT_EQ(form.model.control("FuseLabel").caption, "Config bits:");
    form.model.control("CheckBox1").visible = true; // as a built layout would leave it
    select(121);
    EXPECT_EQ(form.model.control("FuseLabel").caption, "");
    EXPECT_FALSE(form.model.control("CheckBox1").visible);
    EXPECT_EQ(form.model.control("SetPanel").rect, (Rect{505, 0, 250, 458}));
}

// ---- socket pictures ----

TEST_F(Selection, PictureFollowsCodeAndSocketVariant) {
    struct Case {
        int index; // device whose socket picture code is tested
        uint8_t variant;
        const char* picture;
    };
    const Case cases[] = {
        {0, 4, "Img_IC20_m3"}, {0, 5, "Img_IC20"},  // code 0
        {121, 4, "Img_IC20_8"}, {121, 5, "Img_IC8_5"}, // code 2
        {68, 4, "Img_IC18"},   {68, 5, "Img_IC18"},  // code 5
        {156, 5, "Img_IC28"},                          // code 8
    };
    for (const Case& c : cases) {
        st.adapter.socketVariant = c.variant;
        select(c.index);
        EXPECT_EQ(visiblePictures(), std::vector<std::string>{c.picture}) << c.index;
        const Control& pic = form.model.control(c.picture);
        EXPECT_EQ(pic.rect, (Rect{60, 80, 200, 300}));
    }
    const Control& panel = form.model.control("ImgPanel");
    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(panel.rect, (Rect{505, 0, 250, 458}));
}

TEST_F(Selection, CodesWithoutPictureShowOnlyLabelAndButton) {
    for (uint8_t code : {11, 12, 13}) {
        EXPECT_TRUE(socketPictureName(code, 4).empty());
        EXPECT_TRUE(socketPictureName(code, 5).empty());
    }
    select(182); // 29F800, code 13
    EXPECT_TRUE(form.model.control("ImgPanel").visible);
    EXPECT_TRUE(visiblePictures().empty());
    EXPECT_TRUE(form.model.control("ImgLabel").visible);
    EXPECT_TRUE(form.model.control("ImgButton").visible);
}

TEST_F(Selection, EveryPictureHasAControlAndFitsItsSocket) {
    for (uint8_t code = 0; code <= 13; ++code)
        for (uint8_t variant : {4, 5}) {
            const auto name = socketPictureName(code, variant);
            if (!name.empty()) {
                EXPECT_NE(socketPictureSpec(name), nullptr) << name;
            }
        }
    EXPECT_EQ(socketPictureSpecs().size(), 13u);
    for (const auto& p : socketPictureSpecs()) {
        EXPECT_GE(form.model.controlIndex(p.name), 0) << p.name;
        EXPECT_EQ((p.lastRow - p.firstRow + 1) * 2, p.chipPins) << p.name;
        EXPECT_LE(p.lastRow, p.socketPins / 2) << p.name;
        EXPECT_GE(p.firstRow, 1) << p.name;
    }
}

TEST_F(Selection, TimerHidesOnlyMicrocontrollerPictures) {
    select(101);
    EXPECT_EQ(host.timerMs, 5000);
    form.ImgTimerTimer();
    EXPECT_EQ(host.timerMs, 0); // one shot
    EXPECT_FALSE(form.model.control("ImgPanel").visible);
    EXPECT_TRUE(visiblePictures().empty());

    select(102);
    form.ImgTimerTimer();
    EXPECT_TRUE(form.model.control("ImgPanel").visible);
    EXPECT_EQ(visiblePictures(), std::vector<std::string>{"Img_IC20_8"});
}

TEST_F(Selection, HelpShowsThePictureWithoutTheTimerAndOkHidesIt) {
    select(3);
    form.ImgTimerTimer();
    ASSERT_FALSE(form.model.control("ImgPanel").visible);
    form.DeviceinSocket1Click();
    EXPECT_TRUE(form.model.control("ImgPanel").visible);
    EXPECT_EQ(visiblePictures(), std::vector<std::string>{"Img_IC40"});
    EXPECT_EQ(host.timerMs, 0);
    form.ImgButtonClick();
    EXPECT_FALSE(form.model.control("ImgPanel").visible);
    EXPECT_TRUE(visiblePictures().empty());
}

// ---- Buffer Reset ----

TEST_F(Selection, BufferResetClearsBuffersButKeepsFuseBytes) {
    select(13);
    st.images.program[100] = 0;
    st.images.data[100] = 0;
    st.images.idBlock[0] = 0x12;
    st.images.configBlock[1] = 0x34;
    st.images.programFileName = "/home/u/x.bin";
    st.images.view = DataView;
    form.BufferReset1Click();
    EXPECT_EQ(st.images.program[100], 0xFF);
    EXPECT_EQ(st.images.data[100], 0xFF);
    EXPECT_EQ(st.images.idBlock[0], 0x12);
    EXPECT_EQ(st.images.configBlock[1], 0x34);
    EXPECT_EQ(st.images.programFileName, "ProgBuf.bin");
    EXPECT_EQ(st.images.view, DataView); // both memories: the view stays
    EXPECT_EQ(form.model.control("FileLabel").caption, "DataBuf.bin");
    EXPECT_EQ(form.model.control("SizeLabel").caption, "Data Size: 2Kbyte");
}

TEST_F(Selection, BufferResetOfASmallMemoryShowsItsDataView) {
    select(120); // 24C01A, 128 bytes
    form.model.control("SizeLabel").caption = "stale";
    form.gridHeader[0] = "stale";
    form.BufferReset1Click();
    EXPECT_EQ(form.model.control("SizeLabel").caption, "Data Size: 128byte");
    EXPECT_EQ(form.cellText(0, 0), "Data");
    EXPECT_FALSE(form.model.control("ProgDatButt").enabled);
}

} // namespace
} // namespace kestro
