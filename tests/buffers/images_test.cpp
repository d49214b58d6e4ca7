#include "buffers/images.h"
#include "devices/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestro {
namespace {

SelectedDevice device(int index) {
    SelectedDevice d;
    d.index = index;
    catalogueLookup(d);
    return d;
}

TEST(Images, ClearImagesFillsEverythingButBufferResetKeepsFuseBytes) {
    Images& img = theState().images;
    img.program.fill(0);
    img.data.fill(0);
    img.idBlock.fill(0x12);
    img.configBlock.fill(0x34);
    clearBuffers(img);
    EXPECT_EQ(img.program.front(), 0xFF);
    EXPECT_EQ(img.program.back(), 0xFF);
    EXPECT_EQ(img.data.back(), 0xFF);
    EXPECT_EQ(img.idBlock[15], 0x12);
    EXPECT_EQ(img.configBlock[0], 0x34);
    clearImages(img);
    EXPECT_EQ(img.idBlock[15], 0xFF);
    EXPECT_EQ(img.configBlock[0], 0xFF);
    EXPECT_EQ(std::count(img.program.begin(), img.program.end(), 0xFF), 0x100000);
    EXPECT_EQ(std::count(img.data.begin(), img.data.end(), 0xFF), 0x800);
}

TEST(Images, PicWordSwapStopsAtProgramSize) {
    Images& img = theState().images;
    for (uint32_t i = 0; i < 0x1000; ++i) img.program[i] = static_cast<uint8_t>(i);
    picWordSwap(img, 1024);
    EXPECT_EQ(img.program[0], 1);
    EXPECT_EQ(img.program[1], 0);
    EXPECT_EQ(img.program[1022], static_cast<uint8_t>(1023));
    EXPECT_EQ(img.program[1023], static_cast<uint8_t>(1022));
    // Words just past the program memory (12-bit ID words) stay in file order.
    EXPECT_EQ(img.program[1024], static_cast<uint8_t>(1024));
    EXPECT_EQ(img.program[1025], static_cast<uint8_t>(1025));
    picWordSwap(img, 0);
    EXPECT_EQ(img.program[0], 1);
    // The largest size touches the last byte pair and nothing beyond.
    img.program[0xFFFFE] = 0xAA;
    img.program[0xFFFFF] = 0xBB;
    picWordSwap(img, kProgramBufferSize);
    EXPECT_EQ(img.program[0xFFFFE], 0xBB);
    EXPECT_EQ(img.program[0xFFFFF], 0xAA);
}

TEST(Images, PicGroupsMasksAndBlankWords) {
    EXPECT_EQ(picHighByteMask(46), 0x0F);
    EXPECT_EQ(picHighByteMask(58), 0x0F);
    EXPECT_EQ(picHighByteMask(48), 0x3F);
    EXPECT_EQ(picHighByteMask(59), 0x3F);
    EXPECT_EQ(picHighByteMask(91), 0x3F);
    EXPECT_EQ(picHighByteMask(92), 0xFF);
    EXPECT_EQ(picBlankWord(47), 0x0FFF);
    EXPECT_EQ(picBlankWord(68), 0x3FFF);
    EXPECT_EQ(picBlankWord(101), 0xFFFF);
    EXPECT_EQ(picCoreOf(45), PicCore::None);
    EXPECT_EQ(picCoreOf(102), PicCore::None);
}

TEST(Images, ActiveImageFollowsSizesAndView) {
    Images& img = theState().images;
    // Program memory only: program view forced.
    SelectedDevice d = device(3);
    img.view = DataView;
    normaliseView(img, d);
    EXPECT_EQ(img.view, ProgramView);
    auto a = activeImage(img, d);
    EXPECT_EQ(a.bytes, img.program.data());
    EXPECT_EQ(a.size, 4096u);
    // Single memory: data view forced, image kept in the program buffer.
    d = device(121);
    normaliseView(img, d);
    EXPECT_EQ(img.view, DataView);
    a = activeImage(img, d);
    EXPECT_EQ(a.bytes, img.program.data());
    EXPECT_EQ(a.size, 256u);
    // Both memories: the view decides and is left as it is.
    d = device(68);
    img.view = DataView;
    normaliseView(img, d);
    EXPECT_EQ(img.view, DataView);
    a = activeImage(img, d);
    EXPECT_EQ(a.bytes, img.data.data());
    EXPECT_EQ(a.size, 64u);
    img.view = ProgramView;
    EXPECT_EQ(activeImage(img, d).size, 2048u);
    // The unknown row: no image at all, view unchanged.
    d = device(196);
    img.view = DataView;
    normaliseView(img, d);
    EXPECT_EQ(img.view, DataView);
    EXPECT_EQ(activeImage(img, d).bytes, nullptr);
    EXPECT_EQ(activeImage(img, d).size, 0u);
}

} // namespace
} // namespace kestro
