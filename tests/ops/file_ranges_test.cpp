// The ranges a file's data is moved in: its extents, whole blocks, and the gap rule.

#include "ops/file_ranges.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kestro {
namespace {

using Ranges = std::vector<ChipRange>;

TEST(FileRanges, ExtentsFollowTheLoaderAndABinaryLosesItsErasedTail) {
    LoadReport hex;
    hex.kind = LoadReport::Hex;
    hex.placed = {{ImageArea::Program, 0x300, 0x30F}, {ImageArea::Program, 0x10, 0x1F},
                  {ImageArea::Data, 0, 5}, {ImageArea::Program, 0x20, 0x2F}};
    EXPECT_EQ(fileExtents(hex, {}), (Ranges{{0x10, 0x2F}, {0x300, 0x30F}})); // sorted, joined, data memory apart

    std::vector<uint8_t> image(64, 0xFF);
    image[0] = 1;
    image[40] = 2; // then only erased bytes
    LoadReport bin;
    bin.placeRun(ImageArea::Program, 0, 64);
    EXPECT_EQ(fileExtents(bin, image), (Ranges{{0, 40}}));
    std::fill(image.begin(), image.end(), 0xFF);
    EXPECT_TRUE(fileExtents(bin, image).empty()); // an erased file holds no data
}

TEST(FileRanges, WholeBlocksWithinTheMemoryAndGapsJoinedWhileMovingThemIsCheaper) {
    const std::array writeVerify{RangeOp::Program, RangeOp::Verify};
    const uint32_t moved = gapBlocksMoved(writeVerify);
    // Another range costs an identification, two packets and the wait before the
    // read-back: about five blocks of programming and verifying at 19200 baud.
    EXPECT_EQ(moved, 5u);
    EXPECT_LT(gapBlocksMoved(std::array{RangeOp::Program}), moved);

    const Ranges blocks = transferRanges(Ranges{{0x81, 0x82}, {0x1F0, 0x2FF}}, 0x10000, writeVerify);
    EXPECT_EQ(blocks, (Ranges{{0x80, 0x2FF}}));
    const Ranges atGap = transferRanges(Ranges{{0, 0}, {(moved + 1) * 128, (moved + 1) * 128}}, 0x10000, writeVerify);
    EXPECT_EQ(atGap.size(), 1u);
    const Ranges past = transferRanges(Ranges{{0, 0}, {(moved + 2) * 128, (moved + 2) * 128}}, 0x10000, writeVerify);
    EXPECT_EQ(past, (Ranges{{0, 127}, {(moved + 2) * 128, (moved + 3) * 128 - 1}}));
    // A memory smaller than a block: the range ends with it.
    EXPECT_EQ(transferRanges(Ranges{{3, 5}}, 64, writeVerify), (Ranges{{0, 63}}));
}

TEST(FileRanges, TheTimeOfTheRangesAgainstTheWholeChip) {
    const std::array ops{RangeOp::Program, RangeOp::Verify};
    const double whole = transferMs({}, 512 * 1024, ops);
    const double part = transferMs(Ranges{{0, 16 * 1024 - 1}}, 512 * 1024, ops);
    EXPECT_GT(whole / part, 30.0); // a thirty-second of the blocks, and the packets and waits of both
    EXPECT_LT(whole / part, 32.0);
    EXPECT_GT(whole, 8 * 60 * 1000.0); // the wire alone is minutes for the whole chip
}

} // namespace
} // namespace kestro
