// Files made by tools nobody here wrote load to exactly their bytes, and files this
// program writes convert back with them.

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
constexpr int k27c4001 = 160; // 512 KiB

struct Interop : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<Images> img = std::make_unique<Images>();

    static void run(const std::string& command) {
        const int rc = std::system((command + " 2>&1").c_str());
        ASSERT_EQ(rc, 0) << command;
    }
    // Loads `hex` with the byte reader and compares the program buffer with `bytes`
    // followed by erased memory.
    void expectLoads(const std::string& hex, const std::vector<uint8_t>& bytes, int device) {
        ASSERT_EQ(loadIntelHex(HexReader::Bytes, hex, *img, test::deviceAt(device)), HexError::None) << hex;
        ASSERT_TRUE(std::equal(bytes.begin(), bytes.end(), img->program.begin())) << hex;
        ASSERT_TRUE(std::all_of(img->program.begin() + static_cast<long>(bytes.size()), img->program.end(),
                                [](uint8_t v) { return v == 0xFF; }))
            << hex;
    }
};

TEST_F(Interop, SrecCatFilesLoadToTheirBytes) {
    struct Case {
        size_t size;
        int device;
        const char* options;
    } cases[] = {
        {1000, test::kAt89c51, ""},
        {4096, test::kAt89c51, "-Output_Block_Size 255"},
        {70000, test::k27c010, ""},              // crosses 64 KiB: extended linear address
        {kProgramBufferSize, test::k29f800, "-Output_Block_Size 16"},
    };
    for (const auto& c : cases) {
        const auto bytes = pattern(c.size, static_cast<uint32_t>(c.size));
        test::writeFile(dir / "in.bin", bytes);
        run("srec_cat " + dir / "in.bin" + " -binary -o " + dir / "out.hex" + " -intel " + c.options);
        expectLoads(dir / "out.hex", bytes, c.device);
        // The same file with CR LF line ends loads the same.
        run("sed -i 's/$/\\r/' " + dir / "out.hex");
        expectLoads(dir / "out.hex", bytes, c.device);
    }
}

TEST_F(Interop, ObjcopyFilesLoadToTheirBytes) {
    for (size_t size : {size_t{777}, size_t{200000}}) { // the larger one uses segment records
        const auto bytes = pattern(size, 11);
        test::writeFile(dir / "in.bin", bytes);
        run("objcopy -I binary -O ihex " + dir / "in.bin" + " " + dir / "out.hex");
        expectLoads(dir / "out.hex", bytes, k27c4001);
    }
}

// The file-order bytes srec_cat must give back: non-blank program words, holes of 0.
struct Expected {
    std::vector<uint8_t> bytes;
    void put(size_t at, uint8_t v) {
        if (bytes.size() <= at) bytes.resize(at + 1, 0);
        bytes[at] = v;
    }
};

TEST_F(Interop, WrittenFilesConvertBackWithSrecCat) {
    for (int index : {test::kPic12c508, test::kPic16f877, test::kPic18f452}) {
        const SelectedDevice dev = test::deviceAt(index);
        clearImages(*img);
        const uint8_t mask = picHighByteMask(index);
        const auto random = pattern(dev.programSize, static_cast<uint32_t>(index));
        Expected want;
        for (uint32_t w = 0; w < dev.programSize / 2; ++w) {
            const bool blank = random[2 * w] % 5 == 0;
            const uint8_t hi = blank ? mask : static_cast<uint8_t>(random[2 * w] & mask & 0xFE);
            const uint8_t lo = blank ? 0xFF : random[2 * w + 1];
            img->program[2 * w] = hi; // high byte first in the buffer
            img->program[2 * w + 1] = lo;
            if (!blank) want.put(2 * w, lo), want.put(2 * w + 1, hi);
        }
        for (size_t i = 0; i < 16; ++i) {
            img->configBlock[i] = static_cast<uint8_t>(0xC0 + i);
            img->idBlock[i] = static_cast<uint8_t>(0xA0 + i);
        }
        const auto data = pattern(256, 3);
        std::copy(data.begin(), data.end(), img->data.begin());
        const uint8_t packed[8] = {0xA, 0, 0x0, 0, 0xA, 0, 0x1, 0};
        switch (picCoreOf(index)) {
        case PicCore::Core12:
            for (size_t i = 0; i < 8; ++i) want.put(dev.programSize + i, packed[i]);
            want.put(0x1FFE, 0xC0), want.put(0x1FFF, 0xC1);
            break;
        case PicCore::Core14:
            for (size_t i = 0; i < 8; ++i) want.put(0x4000 + i, packed[i]);
            want.put(0x400E, 0xC0), want.put(0x400F, 0xC1);
            for (size_t i = 0; i < 256; ++i) want.put(0x4200 + 2 * i, data[i]), want.put(0x4201 + 2 * i, 0);
            break;
        default:
            for (size_t i = 0; i < 14; ++i) want.put(0x300000 + i, static_cast<uint8_t>(0xC0 + i));
            for (size_t i = 0; i < 8; ++i) want.put(0x200000 + i, static_cast<uint8_t>(0xA0 + i));
            break;
        }
        ASSERT_TRUE(writeIntelHex(dir / "k.hex", *img, dev));
        run("srec_cat " + dir / "k.hex" + " -intel -o " + dir / "out.bin" + " -binary");
        EXPECT_EQ(test::readBytes(dir / "out.bin"), want.bytes) << index;
    }
}

} // namespace
} // namespace kestro
