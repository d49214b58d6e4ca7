// Files made by tools nobody here wrote load to exactly their bytes, and files this
// program writes convert back with them and load back to the same images.

#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace kestro {
namespace {

using test::pattern;

struct Interop : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<Images> img = std::make_unique<Images>();

    static void run(const std::string& command) {
        ASSERT_EQ(std::system((command + " 2>&1").c_str()), 0) << command;
    }
    // `bytes` as in.bin, converted by `command` to out.hex, loads with the byte reader
    // to `bytes` followed by erased memory.
    void expectLoads(size_t size, int device, const std::string& command) {
        SCOPED_TRACE(command + " " + std::to_string(size));
        const auto bytes = pattern(size, static_cast<uint32_t>(size));
        test::writeFile(dir / "in.bin", bytes);
        run(command);
        ASSERT_EQ(loadIntelHex(HexReader::Bytes, dir / "out.hex", *img, test::deviceAt(device)),
                  HexError::None);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), img->program.begin()));
        EXPECT_TRUE(test::erased(img->program, size));
    }
};

TEST_F(Interop, SrecCatAndObjcopyFilesLoadToTheirBytes) {
    const std::string srec =
        "srec_cat " + dir / "in.bin" + " -binary -o " + dir / "out.hex" + " -intel ";
    const std::string crlf = " && sed -i 's/$/\\r/' " + dir / "out.hex";
    const std::string objcopy =
        "objcopy -I binary -O ihex " + dir / "in.bin" + " " + dir / "out.hex";
    expectLoads(1000, chips::kAt89C51, srec);
    expectLoads(4096, chips::kAt89C51, srec + "-Output_Block_Size 255" + crlf);
    expectLoads(70000, chips::k27C010, srec); // crosses 64 KiB: extended linear address
    expectLoads(kProgramBufferSize, chips::k29F800, srec + "-Output_Block_Size 16" + crlf);
    expectLoads(777, 160, objcopy);    // 27C4001, 512 KiB
    expectLoads(200000, 160, objcopy); // segment address records
}

TEST_F(Interop, WrittenFilesConvertWithSrecCatAndLoadBack) {
    const test::Bytes config = pattern(16, 1), data = pattern(256, 3);
    test::Bytes id = pattern(16, 2);
    id[0] = 0xA0, id[1] = 0xA1; // packed into the ID words as A, 0, A, 1
    const test::Bytes packed = {0xA, 0, 0, 0, 0xA, 0, 1, 0};
    for (int index : {chips::kPic12C508, chips::kPic16F877, chips::kPic18F452}) {
        SCOPED_TRACE(index);
        const SelectedDevice dev = test::deviceAt(index);
        clearImages(*img);
        std::copy(config.begin(), config.end(), img->configBlock.begin());
        std::copy(id.begin(), id.end(), img->idBlock.begin());
        std::copy(data.begin(), data.end(), img->data.begin());
        // The file-order bytes srec_cat must give back: non-blank program words, holes of 0.
        test::Bytes want;
        const auto put = [&](size_t at, const test::Bytes& bytes) {
            want.resize(std::max(want.size(), at + bytes.size()), 0);
            std::copy(bytes.begin(), bytes.end(), want.begin() + at);
        };
        const uint8_t mask = picHighByteMask(index);
        const auto random = pattern(dev.programSize, static_cast<uint32_t>(index));
        for (uint32_t w = 0; w < dev.programSize / 2; ++w) {
            const bool blank = random[2 * w] % 5 == 0;
            const uint8_t hi = blank ? mask : static_cast<uint8_t>(random[2 * w] & mask & 0xFE);
            const uint8_t lo = blank ? 0xFF : random[2 * w + 1];
            img->program[2 * w] = hi; // high byte first in the buffer
            img->program[2 * w + 1] = lo;
            if (!blank) put(2 * w, {lo, hi});
        }
        switch (picCoreOf(index)) {
        case PicCore::Core12:
            put(dev.programSize, packed);
            put(0x1FFE, test::slice(config, 0, 2));
            break;
        case PicCore::Core14:
            put(0x4000, packed);
            put(0x400E, test::slice(config, 0, 2));
            for (size_t i = 0; i < 256; ++i) put(0x4200 + 2 * i, {data[i], 0});
            break;
        default:
            put(0x300000, test::slice(config, 0, 14));
            put(0x200000, test::slice(id, 0, 8));
            put(0xF00000, test::slice(data, 0, dev.dataSize));
        }
        ASSERT_TRUE(writeIntelHex(dir / "k.hex", *img, dev));
        run("srec_cat " + dir / "k.hex" + " -intel -o " + dir / "out.bin" + " -binary");
        EXPECT_EQ(test::readBytes(dir / "out.bin"), want);

        // The round trip: the file loads back and is written again byte for byte.
        const auto written = std::make_unique<Images>(*img);
        ASSERT_EQ(loadIntelHex(hexReaderFor(index), dir / "k.hex", *img, dev), HexError::None);
        picWordSwap(*img, dev.programSize);
        for (uint32_t i = 0; i < dev.programSize; i += 2) img->program[i] &= mask; // erased words
        EXPECT_EQ(test::slice(img->program, 0, dev.programSize),
                  test::slice(written->program, 0, dev.programSize));
        EXPECT_EQ(intelHexText(*img, dev), test::readFile(dir / "k.hex"));
    }
}

} // namespace
} // namespace kestro
