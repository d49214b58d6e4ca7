#include "buffers/binary_file.h"
#include "buffers/file_test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kestro {
namespace {

using test::pattern;
using test::readBytes;
using test::writeFile;

struct Binary : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    test::TempDir dir;
    SelectedDevice dev;

    void select(int index, BufferView view = ProgramView) {
        dev = test::deviceAt(index);
        img->program.fill(0);
        img->data.fill(0);
        img->idBlock.fill(0);
        img->configBlock.fill(0);
        img->view = view;
        img->programFileName = "ProgBuf.bin";
        img->dataFileName = "DataBuf.bin";
    }
    bool load(const std::string& name) { return loadBinary(splitPath(dir / name), *img, dev); }
    BinarySave save(const std::string& name, std::array<uint8_t, 2> pair = {0x5A, 0xA5}) {
        return saveBinary(splitPath(dir / name), *img, dev, [pair, this] {
            ++fuseCalls;
            return pair;
        });
    }
    std::vector<uint8_t> program(size_t from, size_t to) const {
        return {img->program.begin() + static_cast<long>(from), img->program.begin() + static_cast<long>(to)};
    }
    std::vector<uint8_t> data(size_t from, size_t to) const {
        return {img->data.begin() + static_cast<long>(from), img->data.begin() + static_cast<long>(to)};
    }
    int fuseCalls = 0;
};

std::vector<uint8_t> ff(size_t n) { return std::vector<uint8_t>(n, 0xFF); }
std::vector<uint8_t> zeros(size_t n) { return std::vector<uint8_t>(n, 0); }
std::vector<uint8_t> head(const std::vector<uint8_t>& v, size_t n) { return {v.begin(), v.begin() + static_cast<long>(n)}; }

TEST_F(Binary, LoadTakesAtMostTheSizeInUse) {
    select(test::kAt89c51); // 4096 bytes of program memory
    const auto bytes = pattern(5000, 1);
    writeFile(dir / "long.bin", bytes);
    ASSERT_TRUE(load("long.bin"));
    EXPECT_EQ(program(0, 4096), head(bytes, 4096));
    EXPECT_EQ(img->program[4096], 0);
    writeFile(dir / "short.bin", head(bytes, 100));
    ASSERT_TRUE(load("short.bin"));
    EXPECT_EQ(program(0, 100), head(bytes, 100));
    EXPECT_EQ(program(100, 4096), ff(3996));
    EXPECT_EQ(img->programFileName, "ProgBuf.bin"); // names are the caller's business here
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");
    EXPECT_FALSE(load("missing.bin"));
    EXPECT_FALSE(loadBinary(splitPath(dir.path()), *img, dev)); // a folder is not a file
    EXPECT_EQ(program(0, 100), head(bytes, 100));              // nothing changed
}

TEST_F(Binary, ProgramViewReadsTheSideFiles) {
    select(test::kAt90s2313); // 2048 program bytes, 128 data bytes
    const auto main = pattern(2048, 2), eep = pattern(200, 3);
    writeFile(dir / "a.bin", main);
    writeFile(dir / "a.eep", eep);
    writeFile(dir / "a.fus", std::vector<uint8_t>{0x11, 0x22, 0x33});
    ASSERT_TRUE(load("a.bin"));
    EXPECT_EQ(program(0, 2048), main);
    EXPECT_EQ(data(0, 128), head(eep, 128));
    EXPECT_EQ(img->data[128], 0);
    EXPECT_EQ(img->configBlock[1], 0x11); // first byte of .fus is byte 1
    EXPECT_EQ(img->configBlock[0], 0x22);
    EXPECT_EQ(img->configBlock[2], 0);
    EXPECT_EQ(img->dataFileName, dir / "a.eep");

    // The data bytes are limited by the main file's length; a short .fus reads 0xFF.
    writeFile(dir / "a.bin", head(main, 100));
    writeFile(dir / "a.fus", std::vector<uint8_t>{0x44});
    ASSERT_TRUE(load("a.bin"));
    EXPECT_EQ(data(0, 100), head(eep, 100));
    EXPECT_EQ(data(100, 128), ff(28));
    EXPECT_EQ(img->configBlock[1], 0x44);
    EXPECT_EQ(img->configBlock[0], 0xFF);

    // Missing side files are skipped; a PIC with both memories reads them too.
    select(test::kPic16f84);
    writeFile(dir / "p.bin", main);
    writeFile(dir / "p.fus", std::vector<uint8_t>{0x3F, 0xF2});
    ASSERT_TRUE(load("p.bin"));
    EXPECT_EQ(program(0, 2048), main); // no word swap for binary images
    EXPECT_EQ(data(0, 64), zeros(64));
    EXPECT_EQ(img->configBlock[0], 0xF2);
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");
}

TEST_F(Binary, LoadFollowsSizesAndView) {
    const auto bytes = pattern(300, 4);
    writeFile(dir / "x.bin", bytes);
    writeFile(dir / "x.eep", pattern(300, 5));
    writeFile(dir / "x.fus", std::vector<uint8_t>{1, 2});

    select(test::kAt90s2313, DataView); // data memory only, no side files
    ASSERT_TRUE(load("x.bin"));
    EXPECT_EQ(data(0, 128), head(bytes, 128));
    EXPECT_EQ(program(0, 16), zeros(16));
    EXPECT_EQ(img->configBlock[0], 0);
    EXPECT_EQ(img->dataFileName, dir / "x.bin");

    select(test::kAttiny11); // program memory only: a .fus beside it is not read
    ASSERT_TRUE(load("x.bin"));
    EXPECT_EQ(program(0, 300), bytes);
    EXPECT_EQ(program(300, 1024), ff(724));
    EXPECT_EQ(img->configBlock[0], 0);
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");

    select(test::k24c02); // single memory, kept in the program buffer
    ASSERT_TRUE(load("x.bin"));
    EXPECT_EQ(program(0, 256), head(bytes, 256));
    EXPECT_EQ(img->program[256], 0);
    EXPECT_EQ(data(0, 4), zeros(4));
    EXPECT_EQ(img->dataFileName, dir / "x.bin");

    select(kUnknownDevice); // no image in use: nothing is read
    ASSERT_TRUE(load("x.bin"));
    EXPECT_EQ(program(0, 16), zeros(16));
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");
}

TEST_F(Binary, SaveWritesTheImageAndItsSideFiles) {
    select(test::kAt90s2313);
    const auto main = pattern(2048, 6), eep = pattern(128, 7);
    std::copy(main.begin(), main.end(), img->program.begin());
    std::copy(eep.begin(), eep.end(), img->data.begin());
    const BinarySave s = save("out.hex", {0x12, 0x34});
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.path, dir / "out.bin");
    EXPECT_EQ(readBytes(dir / "out.bin"), main);
    EXPECT_EQ(readBytes(dir / "out.eep"), eep);
    EXPECT_EQ(readBytes(dir / "out.fus"), (std::vector<uint8_t>{0x34, 0x12})); // byte 1 first
    EXPECT_EQ(fuseCalls, 1);
    EXPECT_EQ(img->programFileName, dir / "out.bin");
    EXPECT_EQ(img->dataFileName, dir / "out.eep");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"out.bin", "out.eep", "out.fus"}));

    // Data view: the data memory alone, under the main name.
    img->view = DataView;
    EXPECT_TRUE(save("data.BIN").ok);
    EXPECT_EQ(readBytes(dir / "data.BIN"), eep);
    EXPECT_EQ(img->dataFileName, dir / "data.BIN");
    EXPECT_EQ(fuseCalls, 1);
    EXPECT_EQ(dir.names().size(), 4u);
}

TEST_F(Binary, SaveByDeviceGroup) {
    select(test::kAttiny11); // program only, in the .fus table
    EXPECT_TRUE(save("t").ok);
    EXPECT_EQ(readBytes(dir / "t.bin"), zeros(1024));
    EXPECT_EQ(readBytes(dir / "t.fus"), (std::vector<uint8_t>{0xA5, 0x5A}));
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");

    select(test::kAt89c51); // program only, no .fus
    EXPECT_TRUE(save("c.bin").ok);
    EXPECT_EQ(readBytes(dir / "c.bin").size(), 4096u);

    select(test::k24c02);
    img->program[255] = 0x77;
    EXPECT_TRUE(save("e.hex").ok);
    EXPECT_EQ(readBytes(dir / "e.bin").size(), 256u);
    EXPECT_EQ(readBytes(dir / "e.bin")[255], 0x77);
    EXPECT_EQ(img->dataFileName, dir / "e.bin");

    select(kUnknownDevice);
    EXPECT_TRUE(save("u.bin").ok);
    EXPECT_TRUE(readBytes(dir / "u.bin").empty());
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"c.bin", "e.bin", "t.bin", "t.fus", "u.bin"}));
    EXPECT_EQ(fuseCalls, 1);
    EXPECT_FALSE(writesFuseFile(22));
    EXPECT_TRUE(writesFuseFile(28));
}

TEST_F(Binary, RoundTripWithSideFiles) {
    select(test::kAt89s8252); // 8192 + 2048 bytes
    const auto main = pattern(8192, 8), eep = pattern(2048, 9);
    std::copy(main.begin(), main.end(), img->program.begin());
    std::copy(eep.begin(), eep.end(), img->data.begin());
    img->configBlock[0] = 0x3C;
    img->configBlock[1] = 0xC3;
    const std::string longName = std::string(100, 'n') + ".bin";
    ASSERT_TRUE(save(longName, {img->configBlock[0], img->configBlock[1]}).ok);
    const auto saved = std::make_unique<Images>(*img);
    select(test::kAt89s8252);
    ASSERT_TRUE(load(longName));
    EXPECT_EQ(img->program, saved->program);
    EXPECT_EQ(img->data, saved->data);
    EXPECT_EQ(img->configBlock[0], 0x3C);
    EXPECT_EQ(img->configBlock[1], 0xC3);
    EXPECT_EQ(img->dataFileName, dir / (std::string(100, 'n') + ".eep"));
}

TEST_F(Binary, SavingNeverDestroysThePreviousFile) {
    select(test::kAt89s8252);
    writeFile(dir / "keep.bin", std::string("previous"));
    ::chmod((dir / "keep.bin").c_str(), 0640);
    ASSERT_TRUE(::mkdir((dir / "keep.eep").c_str(), 0755) == 0); // a side file that cannot be made

    // A write error after the file was created (here: the file size limit).
    {
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        const BinarySave s = save("keep.bin");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(s.ok);
    }
    EXPECT_EQ(test::readFile(dir / "keep.bin"), "previous");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"keep.bin", "keep.eep"})); // no temporary left

    // Success replaces the file, keeps its permissions and skips the side file silently.
    EXPECT_TRUE(save("keep.bin").ok);
    EXPECT_EQ(readBytes(dir / "keep.bin").size(), 8192u);
    struct stat sb {};
    ::stat((dir / "keep.bin").c_str(), &sb);
    EXPECT_EQ(sb.st_mode & 0777, 0640u);
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"keep.bin", "keep.eep", "keep.fus"}));

    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(save("no/such/folder.bin").ok);
}

TEST_F(Binary, SavingThroughALinkReplacesItsTarget) {
    select(test::kAt89c51);
    writeFile(dir / "real.bin", std::string("old"));
    ASSERT_EQ(::symlink((dir / "real.bin").c_str(), (dir / "link.bin").c_str()), 0);
    EXPECT_TRUE(save("link.bin").ok);
    struct stat sb {};
    ASSERT_EQ(::lstat((dir / "link.bin").c_str(), &sb), 0);
    EXPECT_TRUE(S_ISLNK(sb.st_mode));
    EXPECT_EQ(readBytes(dir / "real.bin").size(), 4096u);
}

} // namespace
} // namespace kestro
