#include "devices/selection_rules.h"
#include "devices/socket_pictures.h"
#include "shell/menu_tree.h"
#include "support/form_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

struct Selection : test::StartedForm {
    Control& ctl(std::string_view name) { return form.model.control(name); }
    std::string processItems() const { // '1' for each enabled Process item, in menu order
        std::string on;
        for (const ProcessItem& item : kProcessItems) on += form.model.menu(item.name).enabled ? '1' : '0';
        return on;
    }
    std::vector<std::string> visiblePictures() const {
        std::vector<std::string> shown;
        for (const auto& p : socketPictureShapes())
            if (form.model.control(p.name).visible) shown.emplace_back(p.name);
        return shown;
    }
};

// The menu shows what the chip's row offers; the rows themselves are checked in the
// chip table's tests. 196, the unknown row, comes after a narrow one.
TEST_F(Selection, ProcessMenuFollowsTheDeviceAndTheSerialAdapter) {
    for (int index : {17, 190, 196, 75}) {
        select(index);
        std::string expected;
        for (bool on : processEnabling(index, false).on) expected += on ? '1' : '0';
        EXPECT_EQ(processItems(), expected) << "device " << index;
    }
    EXPECT_EQ(processItems(), "01101011100");
    st.adapter.serialAdapter = true;
    select(13);
    EXPECT_EQ(processItems(), "01111100110");
    select(14);
    EXPECT_EQ(processItems(), "11111100110");

    for (int i : {112, 113, 118, 119}) { // configuration PROMs rename Identify and Erase
        select(i);
        const bool prom = i == 113 || i == 118;
        EXPECT_EQ(form.model.menu("Identify1").caption, prom ? "Reset High, OE Low" : "Identify");
        EXPECT_EQ(form.model.menu("Erase1").caption, prom ? "Reset Low, OE High" : "Erase");
    }
    for (int i : {0, 101, 102, 150, 184, 185, 195, 196}) { // Marker Area: plain memories only
        select(i);
        EXPECT_EQ(form.model.menu("MarkerArea1").enabled, i >= 102 && i <= 184) << i;
    }
}

TEST_F(Selection, WindowCaptionFollowsSocketVariantAndSerialAdapter) {
    const std::string plain = "Kestro", adapter = plain + " - Use Adapter!",
                      serial = plain + " - Serial Adapter Active !";
    const struct {
        uint8_t variant, serial;
        int index;
        std::string caption;
    } cases[] = {{5, 0, 68, plain},   {5, 0, 56, adapter}, {4, 0, 68, adapter}, {4, 0, 56, adapter},
                 {4, 0, 30, adapter}, {5, 0, 33, adapter}, {5, 0, 180, adapter},
                 {5, 0, 54, plain}, // an 18-pin PIC fits variant 5's own socket
                 {4, 0, 121, plain},  {4, 0, 0, plain},    {4, 1, 68, serial},  {5, 1, 56, serial},
                 {5, 1, 121, serial}};
    for (const auto& c : cases) {
        st.adapter.socketVariant = c.variant;
        st.adapter.serialAdapter = c.serial;
        select(c.index);
        EXPECT_EQ(form.model.window.caption, c.caption)
            << "device " << c.index << " variant " << int(c.variant) << " serial " << int(c.serial);
    }
}

TEST_F(Selection, SelectionStartsFromACleanSlate) {
    select(13); // AT89S8252: program and data memory
    Images& img = st.images;
    img.view = DataView;
    img.program[0] = img.program[kProgramBufferSize - 1] = img.data[5] = 0x12;
    img.idBlock[0] = img.configBlock[15] = 1;
    img.programFileName = img.dataFileName = "/tmp/a.hex";
    st.marker = {16, 31, true};
    ctl("SLabel").caption = "Marker Area  Start Address: 000010h  End Address: 00001Fh";
    st.fuse.largeView = st.hwTest.mode = true;
    select(13); // the same device again
    EXPECT_EQ(img.view, ProgramView);
    EXPECT_EQ(std::vector<int>({img.program[0], img.program[kProgramBufferSize - 1], img.data[5],
                                img.idBlock[0], img.configBlock[15]}),
              std::vector<int>(5, 0xFF));
    EXPECT_EQ(img.programFileName + " " + img.dataFileName, "ProgBuf.bin DataBuf.bin");
    EXPECT_EQ(ctl("FileLabel").caption, "ProgBuf.bin");
    EXPECT_FALSE(st.marker.set || st.marker.start || st.marker.end);
    EXPECT_EQ(ctl("SLabel").caption, "");
    EXPECT_EQ(st.fuse.largeView + st.hwTest.mode, 0);
    EXPECT_EQ(ctl("TypeLabel").caption, "AT89S8252");
    EXPECT_TRUE(ctl("ProgDatButt").enabled);

    select(68);
    EXPECT_EQ(ctl("FuseLabel").caption, "Config bits:");
    ctl("CheckBox1").visible = true; // as a built layout would leave it
    select(121); // 24C02: a memory opens in the data view, with an empty fuse panel
    EXPECT_EQ(img.view, DataView);
    EXPECT_EQ(ctl("FileLabel").caption, "DataBuf.bin");
    EXPECT_FALSE(ctl("ProgDatButt").enabled || ctl("CheckBox1").visible);
    EXPECT_EQ(ctl("FuseLabel").caption, "");
    EXPECT_EQ(ctl("SetPanel").rect, (Rect{505, 0, 250, 458}));
}

TEST_F(Selection, PictureFollowsCodeAndSocketVariant) {
    const struct {
        int index; // a device with the picture code tested
        uint8_t variant;
        const char* picture;
    } cases[] = {{0, 4, "Img_IC20_m3"},  {0, 5, "Img_IC20"},   // code 0
                 {0, 3, "Img_IC20_m3"},                       // anything but 5 is taken as 4
                 {121, 4, "Img_IC20_8"}, {121, 5, "Img_IC8_5"}, // code 2
                 {68, 4, "Img_IC18"},    {68, 5, "Img_IC18"},  // code 5
                 {156, 5, "Img_IC28"}};                         // code 8
    for (const auto& c : cases) {
        st.adapter.socketVariant = c.variant;
        select(c.index);
        EXPECT_EQ(visiblePictures(), std::vector<std::string>{c.picture}) << c.index;
        EXPECT_EQ(ctl(c.picture).rect, (Rect{60, 80, 200, 300}));
    }
    EXPECT_TRUE(ctl("ImgPanel").visible);
    EXPECT_EQ(ctl("ImgPanel").rect, (Rect{505, 0, 250, 458}));

    select(182); // 29F800, code 13: no picture, only the label and the button
    EXPECT_TRUE(ctl("ImgPanel").visible && ctl("ImgLabel").visible && ctl("ImgButton").visible);
    EXPECT_TRUE(visiblePictures().empty());
    for (uint8_t code = 0; code <= 13; ++code) // codes 11 to 13 have no picture
        for (uint8_t variant : {4, 5})
            EXPECT_EQ(socketPictureShape(socketPictureName(code, variant)) != nullptr, code < 11)
                << +code;
    for (const auto& p : socketPictureShapes()) { // every picture has a control and fits its socket
        EXPECT_GE(form.model.controlIndex(p.name), 0) << p.name;
        EXPECT_EQ((p.lastRow - p.firstRow + 1) * 2, p.chipPins) << p.name;
        EXPECT_TRUE(p.firstRow >= 1 && p.lastRow <= p.socketPins / 2) << p.name;
    }
}

TEST_F(Selection, TimerHidesOnlyMicrocontrollerPicturesAndHelpShowsThemAgain) {
    select(101);
    EXPECT_EQ(host.timerMs, 5000);
    form.ImgTimerTimer();
    EXPECT_EQ(host.timerMs, 0); // one shot
    EXPECT_FALSE(ctl("ImgPanel").visible);
    EXPECT_TRUE(visiblePictures().empty());
    select(102);
    form.ImgTimerTimer();
    EXPECT_EQ(visiblePictures(), std::vector<std::string>{"Img_IC20_8"});

    select(3);
    form.ImgTimerTimer();
    form.DeviceinSocket1Click(); // Help shows it without the timer; OK hides it
    EXPECT_TRUE(ctl("ImgPanel").visible);
    EXPECT_EQ(visiblePictures(), std::vector<std::string>{"Img_IC40"});
    EXPECT_EQ(host.timerMs, 0);
    form.ImgButtonClick();
    EXPECT_FALSE(ctl("ImgPanel").visible);
    EXPECT_TRUE(visiblePictures().empty());
}

TEST_F(Selection, BufferResetClearsBuffersButKeepsFuseBytes) {
    select(13);
    st.images.program[100] = st.images.data[100] = 0;
    st.images.idBlock[0] = st.images.configBlock[1] = 0x12;
    st.images.programFileName = "/home/u/x.bin";
    st.images.view = DataView;
    form.BufferReset1Click();
    EXPECT_EQ(std::vector<int>({st.images.program[100], st.images.data[100], st.images.idBlock[0],
                               st.images.configBlock[1]}),
              std::vector<int>({0xFF, 0xFF, 0x12, 0x12}));
    EXPECT_EQ(st.images.programFileName, "ProgBuf.bin");
    EXPECT_EQ(st.images.view, DataView); // both memories: the view stays
    EXPECT_EQ(ctl("FileLabel").caption, "DataBuf.bin");
    EXPECT_EQ(ctl("SizeLabel").caption, "Data Size: 2Kbyte");

    select(120); // 24C01A, 128 bytes: the grid is set up again
    ctl("SizeLabel").caption = form.gridHeader[0] = "stale";
    form.BufferReset1Click();
    EXPECT_EQ(ctl("SizeLabel").caption, "Data Size: 128byte");
    EXPECT_EQ(form.cellText(0, 0), "Data");
}

} // namespace
} // namespace kestro
