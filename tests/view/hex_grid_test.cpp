#include "support/form_fixture.h"
#include "view/hex_grid.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Grid : test::StartedForm {
    int rows() const { return form.model.control("ProgGrid").rowCount; }
    const std::string& sizeLabel() const { return form.model.control("SizeLabel").caption; }
};

TEST_F(Grid, RowsAddressesAndSizeFollowTheImage) {
    const struct {
        int device;
        BufferView view;
        int rows, lastRow;
        const char *lastAddress, *header, *size;
    } cases[] = {
        {0, ProgramView, 65, 64, "0003F0h", "Program", "Program Size: 1Kbyte"}, // 64 rows of 16
        {195, ProgramView, 17, 1, "000000h", "Data", "Data Size: 5byte"}, // TCN75: one partial row
        {8, ProgramView, 1281, 1280, "004FF0h", "Program", "Program Size: 20Kbyte"}, // AT89C55
        {169, ProgramView, 7169, 7168, "01BFF0h", "Data", "Data Size: 112Kbyte"},    // 28F001
        {13, DataView, 129, 128, "0007F0h", "Data", "Data Size: 2Kbyte"}};           // AT89S8252
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        st.images.view = c.view;
        form.gridSetup();
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(form.cellText(0, 0), c.header);
        EXPECT_EQ(form.cellText(1, 0), "000000h");
        EXPECT_EQ(form.cellText(c.lastRow, 0), c.lastAddress);
        EXPECT_EQ(form.cellText(c.lastRow + 1, 0), "");
        EXPECT_EQ(sizeLabel(), c.size);
    }
    EXPECT_EQ(sizeText("", 1023), "1023byte");
    EXPECT_EQ(sizeText("", 1024), "1Kbyte");
    EXPECT_EQ(gridRowCount(256), 17);
    EXPECT_EQ(gridRowCount(272), 18);

    select(0);
    select(196); // the unknown device keeps the last grid
    EXPECT_EQ(rows(), 65);
    EXPECT_EQ(sizeLabel(), "Program Size: 1Kbyte");
    EXPECT_FALSE(form.model.control("ProgDatButt").enabled);
}

TEST_F(Grid, CellsShowTheViewsBufferUpToTheShownSize) {
    select(195); // TCN75: 5 bytes shown
    st.images.program[5] = 'A';
    for (int c = 1; c <= 16; ++c) EXPECT_EQ(form.cellText(1, c), c <= 5 ? "FF" : "") << c;
    EXPECT_EQ(form.cellText(1, 17), " ....." + std::string(11, ' '));

    select(121); // only 0x21..0x7F are shown as themselves
    const uint8_t bytes[] = {0x20, 0x80, 0xFF, 0x21, 0x41, 0x7F, 0x00, 0x7E};
    std::copy(std::begin(bytes), std::end(bytes), st.images.program.begin());
    EXPECT_EQ(form.cellText(1, 17), " ...!A\x7F.~........");
    EXPECT_EQ(form.cellText(1, 5), "41");

    select(13); // AT89S8252: 8 KiB program, 2 KiB data
    st.images.program[0] = 0x11;
    st.images.data[0] = 0x22;
    st.images.data[0x7FF] = 0x33;
    EXPECT_EQ(form.cellText(1, 1), "11");
    st.images.view = DataView;
    form.gridSetup();
    EXPECT_EQ(form.cellText(1, 1), "22");
    EXPECT_EQ(form.cellText(128, 16), "33");
    form.shownSize = 0x8000; // left over from the program view: never read past the buffer
    EXPECT_EQ(form.cellText(129, 0), "");
    EXPECT_EQ(form.cellText(129, 17), "");
}

TEST_F(Grid, PaintingMasksTheProgramOfTwelveAndFourteenBitPicsInTheBuffer) {
    const struct {
        int device;
        BufferView view;
        uint8_t mask;
        const char* cell;
    } cases[] = {{68, ProgramView, 0x3F, "3F"},  {47, ProgramView, 0x0F, "0F"}, // PIC16F84, 12C509
                 {68, DataView, 0xFF, "FF"},     {92, ProgramView, 0xFF, "FF"}, // data, PIC18
                 {101, ProgramView, 0xFF, "FF"}, {0, ProgramView, 0xFF, "FF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        select(c.device);
        st.images.view = c.view;
        form.gridSetup();
        st.images.program[2046] = st.images.program[2048] = 0xC1;
        form.gridPaintPass();
        EXPECT_EQ(st.images.program[0], c.mask);
        EXPECT_EQ(st.images.program[1], 0xFF);
        EXPECT_EQ(st.images.program[2046], 0xC1 & c.mask); // the last word too
        EXPECT_EQ(st.images.program[2048], 0xC1);          // nothing past the program memory
        EXPECT_EQ(form.cellText(1, 1), c.cell);
    }
}

} // namespace
} // namespace kestro
