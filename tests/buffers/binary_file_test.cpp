#include "buffers/binary_file.h"
#include "buffers/hex_writer.h"
#include "buffers/file_test_support.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kestro {
namespace {

using test::Bytes;
using test::pattern;
using test::readBytes;
using test::slice;
using test::writeFile;

struct Binary : ::testing::Test {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    test::TempDir dir;
    SelectedDevice dev;

    void select(int index, BufferView view = ProgramView) {
        dev = test::deviceAt(index);
        img->program.fill(0), img->data.fill(0), img->idBlock.fill(0), img->configBlock.fill(0);
        img->view = view;
        img->programFileName = "ProgBuf.bin";
        img->dataFileName = "DataBuf.bin";
    }
    bool load(const std::string& name) { return loadBinary(splitPath(dir / name), *img, dev); }
    BinarySave save(const std::string& name, std::array<uint8_t, 2> pair = {0x5A, 0xA5}) {
        return saveBinary(splitPath(dir / name), *img, dev, [pair] { return pair; });
    }
};

TEST_F(Binary, LoadFillsTheImagesInUseUpToTheirSizes) {
    const auto bytes = pattern(300, 4);
    writeFile(dir / "x.bin", bytes);
    writeFile(dir / "x.fus", Bytes{1, 2});
    // Bytes in use, all in the program buffer.
    const std::pair<int, size_t> cases[] = {
        {chips::kAt89C51, 4096},  // longer than the file
        {chips::kAttiny11, 1024}, // program only: its .fus is not read
        {chips::k24C02, 256},     // single memory: the file also becomes the data file name
        {kUnknownDevice, 0}};    // no image in use: nothing is read
    for (const auto& [device, size] : cases) {
        SCOPED_TRACE(device);
        select(device);
        ASSERT_TRUE(load("x.bin"));
        const size_t n = std::min<size_t>(size, 300);
        EXPECT_EQ(slice(img->program, 0, n), slice(bytes, 0, n));
        EXPECT_TRUE(test::erased(img->program, n, size));
        EXPECT_EQ(img->program[size] + img->data[0] + img->configBlock[0], 0);
        EXPECT_EQ(img->dataFileName, device == chips::k24C02 ? dir / "x.bin" : "DataBuf.bin");
        EXPECT_EQ(img->programFileName, "ProgBuf.bin"); // the caller's business
    }
    EXPECT_FALSE(load("missing.bin"));
    EXPECT_FALSE(loadBinary(splitPath(dir.path), *img, dev)); // a folder is not a file

    // Both memories: the side files too, in the program view.
    select(chips::kAt90S2313);                    // 2048 program bytes, 128 data bytes
    const std::string a = std::string(100, 'a'); // a name over 79 characters
    const auto main = pattern(2048, 2), eep = pattern(200, 3);
    writeFile(dir / (a + ".bin"), main);
    writeFile(dir / (a + ".eep"), eep);
    writeFile(dir / (a + ".fus"), Bytes{0x11, 0x22, 0x33});
    ASSERT_TRUE(load(a + ".bin"));
    EXPECT_EQ(slice(img->program, 0, 2048), main);
    EXPECT_EQ(slice(img->data, 0, 128), slice(eep, 0, 128));
    EXPECT_EQ(img->program[2048] + img->data[128], 0);                // the sizes in use
    EXPECT_EQ(slice(img->configBlock, 0, 3), (Bytes{0x22, 0x11, 0})); // .fus byte 0 is byte 1
    EXPECT_EQ(img->dataFileName, dir / (a + ".eep"));

    // The data bytes are limited by the data size and the .eep file's own length, not
    // by a shorter main file; a short .fus reads 0xFF.
    writeFile(dir / (a + ".bin"), slice(main, 0, 100));
    writeFile(dir / (a + ".eep"), slice(eep, 0, 110));
    writeFile(dir / (a + ".fus"), Bytes{0x44});
    ASSERT_TRUE(load(a + ".bin"));
    EXPECT_EQ(slice(img->data, 0, 110), slice(eep, 0, 110));
    EXPECT_TRUE(test::erased(img->data, 110, 128));
    EXPECT_EQ(slice(img->configBlock, 0, 2), (Bytes{0xFF, 0x44}));

    // Data view: the file is the data memory alone; no side files.
    select(chips::kAt90S2313, DataView);
    ASSERT_TRUE(load(a + ".bin"));
    EXPECT_EQ(slice(img->data, 0, 100), slice(main, 0, 100));
    EXPECT_TRUE(test::erased(img->data, 100, 128));
    EXPECT_EQ(img->program[0] + img->configBlock[0], 0);
    EXPECT_EQ(img->dataFileName, dir / (a + ".bin"));

    // Missing side files are skipped; a PIC's words are not swapped.
    select(chips::kPic16F84);
    writeFile(dir / "p.bin", main);
    ASSERT_TRUE(load("p.bin"));
    EXPECT_EQ(slice(img->program, 0, 2048), main);
    EXPECT_EQ(img->data[0] + img->configBlock[0], 0);
    EXPECT_EQ(img->dataFileName, "DataBuf.bin");
}

TEST_F(Binary, AnIntelHexEepFileLoadsAsItsRecordsSay) {
    select(chips::kAt90S2313); // 128 data bytes
    writeFile(dir / "fw.bin", pattern(42, 1));
    // As avr-objcopy -j .eeprom -O ihex writes it: addresses from 0, a hole, data past D.
    writeFile(dir / "fw.eep", test::hexFile({test::record(0, 0, {1, 2, 3}), test::record(0, 0x10, {4}),
                                             test::record(0, 0x7F, {5, 6, 7})}, "\r\n"));
    ASSERT_TRUE(load("fw.bin"));
    test::expectAt(img->data, {{0, 1}, {2, 3}, {3, 0xFF}, {0x10, 4}, {0x7F, 5}, {0x80, 0}});
    EXPECT_TRUE(test::erased(img->data, 0x11, 0x7F));
    EXPECT_EQ(img->dataFileName, dir / "fw.eep");

    // Text that is not a whole Intel HEX file stays raw data.
    const std::string broken = test::record(0, 0, {1, 2}) + "\n"; // no end record
    writeFile(dir / "fw.eep", broken);
    ASSERT_TRUE(load("fw.bin"));
    EXPECT_EQ(slice(img->data, 0, broken.size()), Bytes(broken.begin(), broken.end()));
}

TEST_F(Binary, SaveWritesTheImageInUseAndItsSideFiles) {
    select(chips::kAt90S2313);
    const auto main = pattern(4096, 6), eep = pattern(128, 7);
    std::copy(main.begin(), main.end(), img->program.begin());
    std::copy(eep.begin(), eep.end(), img->data.begin());
    const BinarySave s = save("out.hex", {0x12, 0x34});
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.path, dir / "out.bin");
    EXPECT_EQ(readBytes(dir / "out.bin"), slice(main, 0, 2048));
    EXPECT_EQ(readBytes(dir / "out.eep"), eep);
    EXPECT_EQ(readBytes(dir / "out.fus"), (Bytes{0x34, 0x12})); // byte 1 first
    EXPECT_EQ(img->programFileName + " " + img->dataFileName, s.path + " " + dir / "out.eep");
    img->view = DataView; // the data memory alone, under the main name
    EXPECT_TRUE(save("data.BIN").ok);
    EXPECT_EQ(readBytes(dir / "data.BIN"), eep);
    EXPECT_EQ(img->dataFileName, dir / "data.BIN");

    const std::pair<int, size_t> others[] = {
        {chips::kAttiny11, 1024}, // program only, with a .fus file
        {chips::kAt89C51, 4096},  // program only, no .fus
        {chips::k24C02, 256},     // single memory, from the program buffer
        {kUnknownDevice, 0}};
    for (const auto& [device, size] : others) {
        select(device);
        std::copy(main.begin(), main.end(), img->program.begin());
        const std::string name = std::to_string(device);
        EXPECT_TRUE(save(name).ok);
        EXPECT_EQ(readBytes(dir / (name + ".bin")), slice(main, 0, size)) << device;
    }
    EXPECT_EQ(readBytes(dir / "16.fus"), (Bytes{0xA5, 0x5A}));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"121.bin", "16.bin", "16.fus", "196.bin",
                                                      "3.bin", "data.BIN", "out.bin", "out.eep",
                                                      "out.fus"}));
    EXPECT_FALSE(writesFuseFile(22));
    EXPECT_TRUE(writesFuseFile(28));
}

TEST_F(Binary, SavingNeverDestroysThePreviousFile) {
    select(chips::kAt89S8252);
    writeFile(dir / "keep.bin", std::string("previous"));
    ::chmod((dir / "keep.bin").c_str(), 0640);
    const auto owner = test::Unprivileged::find(); // root saving another's file keeps its owner
    ASSERT_TRUE(owner);
    ASSERT_EQ(::chown((dir / "keep.bin").c_str(), owner->uid, owner->gid), 0);
    ASSERT_EQ(::mkdir((dir / "keep.eep").c_str(), 0755), 0); // a side file that cannot be made

    // A write error after the file was created (here: the file size limit).
    struct rlimit old {}, small {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    small = {4096, old.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const BinarySave s = save("keep.bin");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(test::readFile(dir / "keep.bin"), "previous");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"keep.bin", "keep.eep"})); // no temporary left

    // A side file that cannot be written fails the save like the main file, and the
    // set stays as it was: no new image beside old side files.
    writeFile(dir / "keep.fus", std::string("fu"));
    const BinarySave side = save("keep.bin");
    EXPECT_FALSE(side.ok);
    EXPECT_EQ(side.failedPath, dir / "keep.eep");
    EXPECT_EQ(side.reason, "Is a directory");
    EXPECT_EQ(test::readFile(dir / "keep.bin"), "previous");
    EXPECT_EQ(test::readFile(dir / "keep.fus"), "fu");
    EXPECT_EQ(img->programFileName + " " + img->dataFileName, "ProgBuf.bin DataBuf.bin");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"keep.bin", "keep.eep", "keep.fus"}));

    // Success replaces every file of the set and keeps their permissions and owner.
    ASSERT_EQ(::rmdir((dir / "keep.eep").c_str()), 0);
    EXPECT_TRUE(save("keep.bin").ok);
    EXPECT_EQ(readBytes(dir / "keep.bin").size(), 8192u);
    EXPECT_EQ(readBytes(dir / "keep.eep").size(), 2048u);
    EXPECT_EQ(readBytes(dir / "keep.fus"), (Bytes{0xA5, 0x5A}));
    struct stat sb {};
    ::stat((dir / "keep.bin").c_str(), &sb);
    EXPECT_EQ(sb.st_mode & 0777, 0640u);
    EXPECT_EQ(sb.st_uid, owner->uid);
    EXPECT_EQ(sb.st_gid, owner->gid);
    EXPECT_EQ(img->programFileName + " " + img->dataFileName, dir / "keep.bin" + " " + dir / "keep.eep");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"keep.bin", "keep.eep", "keep.fus"}));
    EXPECT_FALSE(save("no/such/folder.bin").ok);

    // Through a link the link stays and its target is replaced.
    writeFile(dir / "real.bin", std::string("old"));
    ASSERT_EQ(::symlink((dir / "real.bin").c_str(), (dir / "link.bin").c_str()), 0);
    EXPECT_TRUE(save("link.bin").ok);
    ASSERT_EQ(::lstat((dir / "link.bin").c_str(), &sb), 0);
    EXPECT_TRUE(S_ISLNK(sb.st_mode));
    EXPECT_EQ(readBytes(dir / "real.bin").size(), 8192u);
    // A dangling one gets its target made, beside the link when it names it relatively.
    ASSERT_EQ(::symlink("made.bin", (dir / "dangling.bin").c_str()), 0);
    EXPECT_TRUE(save("dangling.bin").ok);
    ASSERT_EQ(::lstat((dir / "dangling.bin").c_str(), &sb), 0);
    EXPECT_TRUE(S_ISLNK(sb.st_mode));
    EXPECT_EQ(readBytes(dir / "made.bin").size(), 8192u);
}

TEST_F(Binary, ALinkIsFollowedOnlyToAFileOfTheKindWritten) {
    select(chips::kAt89S8252); // image, .eep and .fus
    const std::string text = "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n";
    writeFile(dir / "passwd", text);
    writeFile(dir / "huge", std::string(kProgramBufferSize + 1, 'x'));
    const auto link = [&](const char* to, const char* name) {
        std::filesystem::remove(dir / name);
        ASSERT_EQ(::symlink((dir / to).c_str(), (dir / name).c_str()), 0);
    };
    const auto refused = [&](const std::string& failed) {
        const BinarySave s = save("fw.bin");
        EXPECT_FALSE(s.ok);
        EXPECT_EQ(s.failedPath, dir / failed);
        EXPECT_EQ(s.reason, "a link to a file of another kind");
        EXPECT_EQ(test::readFile(dir / "passwd"), text);
        EXPECT_FALSE(std::filesystem::exists(dir / "fw.bin") && !std::filesystem::is_symlink(dir / "fw.bin"));
    };
    link("huge", "fw.bin"); // larger than any image
    refused("fw.bin");
    std::filesystem::remove(dir / "fw.bin");
    link("passwd", "fw.fus"); // a fuse file holds two bytes
    refused("fw.fus");
    link("passwd", "fw.eep"); // neither a data memory's bytes nor Intel HEX
    refused("fw.eep");

    // Files of the kind, kept elsewhere, are written through their links.
    writeFile(dir / "data.hex", test::hexFile({test::record(0, 0, {1, 2})}));
    writeFile(dir / "fuses", Bytes{1, 2});
    link("data.hex", "fw.eep");
    link("fuses", "fw.fus");
    EXPECT_TRUE(save("fw.bin").ok);
    EXPECT_EQ(readBytes(dir / "data.hex").size(), 2048u);
    EXPECT_EQ(readBytes(dir / "fuses"), (Bytes{0xA5, 0x5A}));

    // An Intel HEX file goes through a link only to Intel HEX (or an empty file).
    std::string reason;
    link("passwd", "pic.hex");
    EXPECT_FALSE(writeIntelHex(dir / "pic.hex", *img, test::deviceAt(chips::kPic16F84), true, &reason));
    EXPECT_EQ(reason, "a link to a file of another kind");
    writeFile(dir / "old.hex", test::hexFile({test::record(0, 0, {1, 2})}));
    link("old.hex", "pic.hex");
    EXPECT_TRUE(writeIntelHex(dir / "pic.hex", *img, test::deviceAt(chips::kPic16F84)));
}

} // namespace
} // namespace kestro
