// --range file against the adapter double: the packets move the blocks that hold the
// file's data, in as many ranges as the gaps between them are worth.

#include "cli_fixture.h"

#include "link/protocol.h"
#include "ops/file_ranges.h"

#include <array>
#include <vector>

namespace kestro {
namespace {

using test::Bytes;

struct SentRange {
    uint32_t start;     // as the packet says it: words on a word-organised part
    uint32_t countMinus1;
    uint8_t lastLength;
    friend bool operator==(const SentRange&, const SentRange&) = default;
};

std::ostream& operator<<(std::ostream& os, const SentRange& r) {
    return os << std::hex << "{start " << r.start << ", blocks-1 " << r.countMinus1 << ", last " << +r.lastLength
              << "}";
}

struct FileRange : test::CliTest {
    // The range of each packet of that command, in order.
    std::vector<SentRange> sent(Command c) const {
        std::vector<SentRange> out;
        for (const auto& p : env.adapter.packets) {
            if (p[kPosCommand] != static_cast<uint8_t>(c)) continue;
            const auto start = static_cast<uint32_t>(p[kPosStart0] | p[kPosStart1] << 8u | p[kPosStart2] << 16u);
            const auto count = static_cast<uint32_t>(p[kPosCountLow] | p[kPosCountHigh] << 8u);
            out.push_back({start, count, p[kPosLastLength]});
        }
        return out;
    }
};

TEST_F(FileRange, ABinaryShorterThanTheChipMovesItsBlocksWithoutTheErasedTail) {
    socket("29F040");
    Bytes image = test::pattern(1000, 3);
    std::fill(image.begin() + 900, image.end(), 0xFF); // erased fill at its end: no data
    test::writeFile(path("boot.bin"), image);
    const auto r = run({"-p", "29F040", "--no-waits", "--json", "--range", "file", "write", path("boot.bin"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<SentRange> oneRange{{0, 7, 128}}; // 900 bytes: eight whole blocks
    EXPECT_EQ(sent(Command::ProgramData), oneRange);
    EXPECT_EQ(sent(Command::ReadData), oneRange);
    EXPECT_EQ(test::slice(env.adapter.chip.memory, 0, 900), test::slice(image, 0, 900));
    EXPECT_NE(r.err.find("range 000000h-0003FFh: the file's data, 1 KiB of 512 KiB"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("the rest is programmed as FF"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("\"range_file\":{\"extents\":[[0,899]],\"ranges\":[[0,1023]]}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"crc32_written\""), std::string::npos);
    EXPECT_NE(r.out.find("\"bytes\":1024"), std::string::npos) << r.out;
}

TEST_F(FileRange, TwoDistantStretchesOfAHexFileAreTwoRangesEachWithItsOwnPacket) {
    socket("29F040");
    const Bytes low = test::pattern(100, 1), high = test::pattern(200, 2);
    test::writeFile(path("fw.hex"), test::hexFile({test::record(0, 0x0000, low), test::record(4, 0, {0x00, 0x04}),
                                                   test::record(0, 0x0010, Bytes(high.begin(), high.begin() + 100)),
                                                   test::record(0, 0x0074, Bytes(high.begin() + 100, high.end()))}));
    const auto r = run({"-p", "29F040", "--no-waits", "--range", "file", "write", path("fw.hex"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    // 0..63h in block 0; 40010h..400D7h in the two blocks from 40000h.
    const std::vector<SentRange> two{{0, 0, 128}, {0x40000, 1, 128}};
    EXPECT_EQ(sent(Command::ProgramData), two);
    EXPECT_EQ(sent(Command::ReadData), two);
    EXPECT_EQ(test::slice(env.adapter.chip.memory, 0x40010, 0x400D8), high);
    EXPECT_NE(r.err.find("range 000000h-00007Fh, 040000h-0400FFh: the file's data, 384 bytes of 512 KiB"),
              std::string::npos)
        << r.err;

    // A gap that costs less on the wire than another packet is moved with the data.
    env.adapter.packets.clear();
    const std::array ops{RangeOp::Program, RangeOp::Verify};
    const uint32_t gap = gapBlocksMoved(ops);
    ASSERT_GT(gap, 0u);
    test::writeFile(path("near.hex"), test::hexFile({test::record(0, 0x0000, low),
                                                     test::record(0, static_cast<uint16_t>((gap + 1) * 128), low)}));
    ASSERT_EQ(run({"-p", "29F040", "--no-waits", "--range", "file", "write", path("near.hex"), "verify"}).code, 0);
    EXPECT_EQ(sent(Command::ProgramData), (std::vector<SentRange>{{0, gap + 1, 128}}));
}

TEST_F(FileRange, AWordOrganisedPartGetsWholeWordsAndWordAddresses) {
    socket("27C1024");
    test::writeFile(path("w.hex"), test::hexFile({test::record(0, 0x1001, {0x12, 0x34})}));
    const auto r = run({"-p", "27C1024", "--no-waits", "--range", "file", "write", path("w.hex"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<SentRange> words{{0x800, 0, 128}}; // byte 1000h is word 800h
    EXPECT_EQ(sent(Command::ProgramData), words);
    EXPECT_EQ(sent(Command::ReadData), words);
    EXPECT_EQ(test::slice(env.adapter.chip.memory, 0x1000, 0x1004), (Bytes{0xFF, 0x12, 0x34, 0xFF}));
}

TEST_F(FileRange, AFileThatFillsTheChipMovesTheWholeChipAsWithoutTheOption) {
    socket("24C02");
    test::writeFile(path("full.bin"), test::pattern(256, 9));
    ASSERT_EQ(run({"-p", "24C02", "--no-waits", "write", path("full.bin"), "verify"}).code, 0);
    const auto without = env.adapter.received;
    env.adapter.received.clear();
    const auto r = run({"-p", "24C02", "--no-waits", "--range", "file", "write", path("full.bin"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(env.adapter.received, without);
    EXPECT_NE(r.err.find("range 000000h-0000FFh: the whole chip, as the file fills it"), std::string::npos) << r.err;
}

TEST_F(FileRange, BlankCheckTakesTheFilesRangesAndReadHasNone) {
    socket("27C256");
    test::writeFile(path("fw.bin"), test::pattern(300, 4));
    auto r = run({"-p", "27C256", "--no-waits", "--range", "file", "blank-check", "write", path("fw.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(sent(Command::ReadData), (std::vector<SentRange>{{0, 2, 128}}));

    env.adapter.received.clear();
    r = run({"-p", "27C256", "--range", "file", "read", path("chip.bin")});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--range file: read has no file to take the ranges from"), std::string::npos) << r.err;
    EXPECT_TRUE(env.adapter.received.empty()) << "refused before the port is opened";
}

TEST_F(FileRange, AWholeChipWriteOfLittleDataSaysWhatTheOptionWouldTake) {
    socket("27C512");
    test::writeFile(path("small.bin"), test::pattern(4096, 5));
    const auto r = run({"-p", "27C512", "--no-waits", "write", path("small.bin"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("small.bin holds 4 KiB of the 64 KiB: with --range file this run would take about"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(sent(Command::ProgramData), (std::vector<SentRange>{{0, 511, 128}})); // nothing changes unless asked
}

TEST_F(FileRange, ProductionMovesTheSerialNumberWhereverItLies) {
    socket("27C256");
    test::writeFile(path("fw.bin"), test::pattern(300, 4));
    const auto r = run({"-p", "27C256", "--no-waits", "--range", "file", "produce", path("fw.bin"), "--count", "1",
                        "--serial", "0x7000:5"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<SentRange> both{{0, 2, 128}, {0x7000, 0, 128}};
    EXPECT_EQ(sent(Command::ProgramData), both);
    EXPECT_EQ(sent(Command::ReadData), both);
    EXPECT_EQ(test::slice(env.adapter.chip.memory, 0x7000, 0x7004), (Bytes{5, 0, 0, 0}));
}

} // namespace
} // namespace kestro
