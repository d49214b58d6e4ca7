#include "support/form_fixture.h"
#include "view/hex_grid.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

struct Grid : test::StartedForm {
    int rows() const { return form.model.control("ProgGrid").rowCount; }
    const std::string& sizeLabel() const { return form.model.control("SizeLabel").caption; }
};

TEST_F(Grid, OneKilobyteShows64RowsUnderTheHeader) {
    select(0); // AT89C1051
    EXPECT_EQ(rows(), 65);
    EXPECT_EQ(form.cellText(64, 0), "0003F0h");
    EXPECT_EQ(form.cellText(1, 0), "000000h");
    EXPECT_EQ(form.cellText(65, 0), "");
    EXPECT_EQ(form.cellText(64, 16), "FF");
    EXPECT_EQ(form.cellText(0, 0), "Program");
    EXPECT_EQ(sizeLabel(), "Program Size: 1Kbyte");
}

TEST_F(Grid, FiveByteSensorShowsOnePartialRow) {
    select(195); // TCN75
    EXPECT_EQ(rows(), 17);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(form.cellText(1, c), "FF") << c;
    for (int c = 6; c <= 16; ++c) EXPECT_EQ(form.cellText(1, c), "") << c;
    EXPECT_EQ(form.cellText(1, 17), " ....." + std::string(11, ' '));
    for (int r = 2; r <= 16; ++r)
        for (int c = 0; c <= 17; ++c) EXPECT_EQ(form.cellText(r, c), "") << r << "," << c;
    EXPECT_EQ(sizeLabel(), "Data Size: 5byte");
    EXPECT_EQ(form.cellText(0, 0), "Data");
}

TEST_F(Grid, CharacterColumnShowsOnlyPrintableBytes) {
    select(121);
    const uint8_t bytes[] = {0x20, 0x80, 0xFF, 0x21, 0x41, 0x7F, 0x00, 0x7E};
    std::copy(std::begin(bytes), std::end(bytes), st.images.program.begin());
    EXPECT_EQ(form.cellText(1, 17), " ...!A\x7F.~........");
    EXPECT_EQ(form.cellText(1, 5), "41");
}

TEST_F(Grid, BytesPastTheShownSizeStayBlankInTheCharacterColumn) {
    select(195); // 5 bytes shown
    st.images.program[5] = 'A';
    st.images.program[15] = 'Z';
    EXPECT_EQ(form.cellText(1, 17), " ....." + std::string(11, ' '));
}

TEST_F(Grid, FourteenBitPicProgramIsMaskedInTheBufferItself) {
    select(68); // PIC16F84
    st.images.program[0] = 0xFF;
    st.images.program[1] = 0xFF;
    st.images.program[2046] = 0xC1;
    form.gridPaintPass();
    EXPECT_EQ(form.cellText(1, 1), "3F");
    EXPECT_EQ(form.cellText(1, 2), "FF");
    EXPECT_EQ(st.images.program[0], 0x3F);
    EXPECT_EQ(st.images.program[1], 0xFF);
    EXPECT_EQ(st.images.program[2046], 0x01); // the last word too
    EXPECT_EQ(st.images.program[2048], 0xFF); // past the program memory nothing changes
}

TEST_F(Grid, TwelveBitPicMasksToFourBits) {
    select(47); // PIC12C509
    form.gridPaintPass();
    EXPECT_EQ(form.cellText(1, 1), "0F");
    EXPECT_EQ(form.cellText(128, 15), "0F");
    EXPECT_EQ(form.cellText(128, 16), "FF");
}

TEST_F(Grid, Pic18AndOtherDevicesAreShownUnmasked) {
    for (int device : {92, 101, 0, 121}) {
        select(device);
        form.gridPaintPass();
        EXPECT_EQ(st.images.program[0], 0xFF) << device;
        EXPECT_EQ(form.cellText(1, 1), "FF") << device;
    }
}

TEST_F(Grid, PicDataViewIsNotMasked) {
    select(68);
    st.images.view = DataView;
    form.gridSetup();
    st.images.program[0] = 0xFF;
    st.images.data[0] = 0xFF;
    form.gridPaintPass();
    EXPECT_EQ(st.images.program[0], 0xFF);
    EXPECT_EQ(form.cellText(1, 1), "FF");
}

TEST_F(Grid, DataViewShowsTheDataBuffer) {
    select(13); // AT89S8252: 8 KiB program, 2 KiB data
    st.images.program[0] = 0x11;
    st.images.data[0] = 0x22;
    st.images.data[0x7FF] = 0x33;
    st.images.view = DataView;
    form.gridSetup();
    EXPECT_EQ(form.cellText(0, 0), "Data");
    EXPECT_EQ(sizeLabel(), "Data Size: 2Kbyte");
    EXPECT_EQ(rows(), 129);
    EXPECT_EQ(form.cellText(1, 0), "000000h");
    EXPECT_EQ(form.cellText(1, 1), "22");
    EXPECT_EQ(form.cellText(128, 16), "33");
    st.images.view = ProgramView;
    form.gridSetup();
    EXPECT_EQ(form.cellText(1, 1), "11");
    EXPECT_EQ(rows(), 513);
}

TEST_F(Grid, StaleShownSizeNeverReadsPastTheDataBuffer) {
    select(4); // AT89C51RC: 32 KiB program ...
    select(13);
    form.shownSize = 0x8000; // ... left over while the view changes
    st.images.view = DataView;
    EXPECT_EQ(form.cellText(128, 16), "FF");
    EXPECT_EQ(form.cellText(129, 0), "");
    EXPECT_EQ(form.cellText(129, 17), "");
}

TEST_F(Grid, SizeTextsUseKilobytesFrom1024) {
    EXPECT_EQ(sizeText("Program Size: ", 8192), "Program Size: 8Kbyte");
    EXPECT_EQ(sizeText("Data Size: ", 128), "Data Size: 128byte");
    EXPECT_EQ(sizeText("", 20480), "20Kbyte");
    EXPECT_EQ(sizeText("", 114688), "112Kbyte");
    EXPECT_EQ(sizeText("", 1023), "1023byte");
    EXPECT_EQ(sizeText("", 1024), "1Kbyte");
    select(8); // AT89C55
    EXPECT_EQ(sizeLabel(), "Program Size: 20Kbyte");
    select(169); // 28F001
    EXPECT_EQ(sizeLabel(), "Data Size: 112Kbyte");
}

TEST_F(Grid, RowCountNeverFallsBelow17) {
    EXPECT_EQ(gridRowCount(0), 17);
    EXPECT_EQ(gridRowCount(255), 17);
    EXPECT_EQ(gridRowCount(256), 17);
    EXPECT_EQ(gridRowCount(272), 18);
    EXPECT_EQ(gridRowCount(kProgramBufferSize), 65537);
}

TEST_F(Grid, LargestMemoryEndsAtItsLastRow) {
    select(182); // 29F800, 1 MiB
    EXPECT_EQ(rows(), 65537);
    EXPECT_EQ(form.cellText(65536, 0), "0FFFF0h");
    EXPECT_EQ(form.cellText(65536, 16), "FF");
    EXPECT_EQ(form.cellText(65537, 0), "");
}

TEST_F(Grid, UnknownDeviceKeepsTheLastGrid) {
    select(0);
    select(196);
    EXPECT_EQ(form.model.control("TypeLabel").caption, "unknown");
    EXPECT_EQ(rows(), 65);
    EXPECT_EQ(sizeLabel(), "Program Size: 1Kbyte");
    EXPECT_EQ(form.shownSize, 1024u);
    EXPECT_FALSE(form.model.control("ProgDatButt").enabled);
}

} // namespace
} // namespace kestro
