// Fuse settings through files: the .fus side file keeps what the panel shows, and a
// PIC's Intel HEX file gets the configuration word the panel composes.

#include "buffers/file_test_support.h"
#include "support/fuse_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct FuseFiles : test::FuseForm {
    test::TempDir dir;
    void open(const std::string& path) {
        host.openAnswers.push_back(path);
        form.Open1Click();
    }
    void saveAs(const std::string& path) {
        host.saveAnswers.push_back(path);
        form.Save1Click();
    }
};

TEST_F(FuseFiles, At90sBoxesSurviveSaveAndOpenThoughTheChipSenseIsOpposite) {
    select(15); // AT90S2313
    tick("Start up timer 16ms / 1ms", true);
    tick("SPI enable", false);
    saveAs(dir / "fw.bin");
    EXPECT_EQ(test::readBytes(dir / "fw.fus"), (test::Bytes{0xFF, 0xDF}));
    EXPECT_EQ(st.images.configBlock[0], 0xFE); // what Program Fuse would send
    select(15);
    open(dir / "fw.bin");
    EXPECT_TRUE(box("Start up timer 16ms / 1ms").checked);
    EXPECT_FALSE(box("SPI enable").checked);
}

TEST_F(FuseFiles, APicHexFileGetsTheWordAndIdThePanelShows) {
    select(68);
    tick("Code protect ON");
    choose("ComboBox1", "XT");
    ctl("Edit1").caption = "BEEF";
    saveAs(dir / "fw.hex");
    select(68);
    open(dir / "fw.hex");
    EXPECT_EQ(word(), 0xC00D); // bits 4 to 13 cleared with the code protection
    EXPECT_TRUE(box("Code protect ON").checked);
    EXPECT_EQ(shown("ComboBox1"), "XT");
    EXPECT_EQ(ctl("Edit1").caption, "BEEF");
}

} // namespace
} // namespace kestro
