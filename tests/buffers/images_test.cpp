#include "buffers/images.h"
#include "devices/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kestro {
namespace {

// 1 MiB of program image: not on the stack.
std::unique_ptr<Images> freshImages() { return std::make_unique<Images>(); }

// Buffer Reset's clearBuffers, which keeps the fuse bytes, is driven in selection_test.
TEST(Images, ClearImagesFillsAllFourBuffers) {
    const auto images = freshImages();
    Images& img = *images;
    img.program.fill(0);
    img.data.fill(0);
    img.idBlock.fill(0);
    img.configBlock.fill(0);
    clearImages(img);
    EXPECT_EQ(std::count(img.program.begin(), img.program.end(), 0xFF), 0x100000);
    EXPECT_EQ(std::count(img.data.begin(), img.data.end(), 0xFF), 0x800);
    EXPECT_EQ(std::count(img.idBlock.begin(), img.idBlock.end(), 0xFF), 16);
    EXPECT_EQ(std::count(img.configBlock.begin(), img.configBlock.end(), 0xFF),
              static_cast<std::ptrdiff_t>(img.configBlock.size()));
}

TEST(Images, PicWordSwapStopsAtProgramSize) {
    const auto images = freshImages();
    Images& img = *images;
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

TEST(Images, PicGroupBoundaries) {
    struct Case {
        int index;
        PicCore core;
        uint16_t blank;
    };
    const Case cases[] = {
        {45, PicCore::None, 0xFFFF},   {46, PicCore::Core12, 0x0FFF}, {48, PicCore::Core14, 0x3FFF},
        {50, PicCore::Core12, 0x0FFF}, {58, PicCore::Core12, 0x0FFF}, {59, PicCore::Core14, 0x3FFF},
        {91, PicCore::Core14, 0x3FFF}, {92, PicCore::Pic18, 0xFFFF},  {101, PicCore::Pic18, 0xFFFF},
        {102, PicCore::None, 0xFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(picCoreOf(c.index), c.core) << c.index;
        EXPECT_EQ(picBlankWord(c.index), c.blank) << c.index;
        EXPECT_EQ(picHighByteMask(c.index), c.blank >> 8) << c.index;
    }
}

TEST(Images, ViewAndActiveImageFollowTheSizes) {
    const auto images = freshImages();
    Images& img = *images;
    struct Case {
        int device;
        uint8_t view, normalised;
        bool dataBuffer;
        uint32_t size;
    };
    const Case cases[] = {
        {3, DataView, ProgramView, false, 4096},     // program only: program view
        {121, ProgramView, DataView, false, 256},    // single memory: data view, program buffer
        {68, DataView, DataView, true, 64},          // both: the view decides
        {68, ProgramView, ProgramView, false, 2048},
        {196, DataView, DataView, false, 0},         // the unknown row: no image
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        SelectedDevice d{.index = c.device};
        catalogueLookup(d);
        img.view = c.view;
        normaliseView(img, d);
        EXPECT_EQ(img.view, c.normalised);
        const ActiveImage a = activeImage(img, d);
        const uint8_t* buffer = c.dataBuffer ? img.data.data() : img.program.data();
        EXPECT_EQ(a.bytes, c.size == 0 ? nullptr : buffer);
        EXPECT_EQ(a.size, c.size);
    }
}

} // namespace
} // namespace kestro
