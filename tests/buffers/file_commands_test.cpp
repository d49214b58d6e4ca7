#include "buffers/file_commands.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"
#include "support/form_fixture.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace kestro {
namespace {

using test::record;

struct FileCommands : test::StartedForm {
    test::TempDir dir;

    void SetUp() override {
        StartedForm::SetUp();
        host.messages.clear(); // whatever the start-up had to say
    }
    void open(const std::optional<std::string>& path) {
        host.openAnswers.push_back(path);
        form.Open1Click();
    }
    void saveAs(const std::optional<std::string>& path) {
        host.saveAnswers.push_back(path);
        form.Save1Click();
    }
    std::string label() { return form.model.control("FileLabel").caption; }
    void expectOnlyMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
        ASSERT_EQ(host.texts(), std::vector<std::string>{text});
        EXPECT_EQ(host.messages[0].caption, caption);
        EXPECT_EQ(host.messages[0].icon, icon);
        EXPECT_EQ(host.messages[0].buttons, MsgButtons::Ok);
        host.messages.clear();
    }
};

TEST_F(FileCommands, OpenChoosesTheLoaderByExtensionAndKeepsLongPaths) {
    select(chips::kAt89C51);
    const std::string deep = dir / std::string(90, 'a'); // well over 79 characters
    std::filesystem::create_directory(deep);
    test::writeFile(deep + "/prog.Hex", test::hexFile({record(0, 0, {0xDE, 0xAD})}));
    std::filesystem::copy_file(deep + "/prog.Hex", deep + "/prog.txt");
    open(deep + "/prog.Hex");
    // Every name the loader reads is shown, in the first entry and in one of its own.
    EXPECT_EQ(host.lastDialogFilter,
              "Hex & Bin files (*.hex *.ihx *.ihex *.bin *.elf *.HEX *.IHX *.IHEX *.BIN *.ELF);;"
              "ELF files (*.elf *.ELF);;All files (*)");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(test::slice(st.images.program, 0, 3), (test::Bytes{0xDE, 0xAD, 0xFF}));
    EXPECT_EQ(st.images.programFileName, deep + "/prog.Hex");
    EXPECT_EQ(st.images.dataFileName, kDataFileDefault);
    EXPECT_EQ(label(), "prog.Hex");
    EXPECT_EQ(st.settings.lastFileName, deep + "/prog.Hex");
    EXPECT_EQ(form.openDialogDir + " " + form.saveDialogDir, deep + " " + deep);

    open(deep + "/prog.txt"); // any other extension: a binary image
    EXPECT_EQ(st.images.program[0], ':');
    EXPECT_EQ(host.lastDialogDir, deep);
    EXPECT_EQ(label(), "prog.txt");
    open(std::nullopt); // cancelled: nothing changes
    EXPECT_EQ(st.settings.lastFileName, deep + "/prog.txt");
}

TEST_F(FileCommands, IhxAndIhexLoadAsIntelHexInAnyCase) {
    select(chips::kAt89C51);
    const std::string text = test::hexFile({record(0, 0x10, {0x75, 0x81})});
    const auto hexUnderOtherName = [&](const std::string& path) {
        LoadReport report;
        loadImageFile(path, st.images, st.device, &report);
        return report.hexText;
    };
    for (const char* name : {"fw.ihx", "fw.IHX", "fw.ihex", "fw.IHex"}) {
        SCOPED_TRACE(name);
        test::writeFile(dir / name, text);
        open(dir / name);
        EXPECT_TRUE(host.messages.empty());
        test::expectAt(st.images.program, {{0, 0xFF}, {0x10, 0x75}, {0x11, 0x81}});
        EXPECT_FALSE(hexUnderOtherName(dir / name));
    }
    // Under another name it is a binary image, which the command line warns about.
    test::writeFile(dir / "fw.bin", text);
    open(dir / "fw.bin");
    EXPECT_EQ(st.images.program[0], ':');
    EXPECT_TRUE(hexUnderOtherName(dir / "fw.bin"));
    test::writeFile(dir / "raw.bin", std::string(":0"));
    EXPECT_FALSE(hexUnderOtherName(dir / "raw.bin"));
    EXPECT_STREQ(cantOpenMessage(dir / "no.IHX"), "Can't Open File !");
    EXPECT_STREQ(cantOpenMessage(dir / "no.bin"), "Can't Open File!");
}

TEST_F(FileCommands, AFailedLoadLeavesEverythingAsItWas) {
    select(chips::kAt90S2313);
    const std::string startLabel = label();
    form.OpenLastFile1Click(); // no last file yet: the binary loader's message
    expectOnlyMessage("Can't Open File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(label(), startLabel);

    test::writeFile(dir / "good.hex", test::hexFile({record(0, 0, {0xAA, 0xBB})}));
    open(dir / "good.hex");
    ASSERT_TRUE(host.messages.empty());
    Control& box = form.model.control("CheckBox1");
    box.checked = !box.checked; // an edit not yet read back into the fuse bytes
    const bool panel = box.checked;
    const auto before = std::make_unique<Images>(st.images);

    // The fifth record's checksum is wrong: the first four must not stay behind as if
    // the file had loaded (a Program would write them and FF elsewhere).
    std::string text;
    for (uint16_t a = 0; a < 4; ++a) text += record(0, 0x10 * a, {1, 2, 3, 4}) + "\n";
    std::string bad = record(0, 0x40, {5, 6});
    bad[bad.size() - 1] = bad.back() == '0' ? '1' : '0';
    test::writeFile(dir / "bad.hex", text + bad + "\n" + record(1, 0, {}) + "\n");
    const auto expectUnchanged = [&] {
        EXPECT_EQ(st.images.program, before->program);
        EXPECT_EQ(st.images.data, before->data);
        EXPECT_EQ(st.images.configBlock, before->configBlock);
        EXPECT_EQ(st.images.programFileName + " " + st.images.dataFileName,
                  before->programFileName + " " + before->dataFileName);
        EXPECT_EQ(label(), "good.hex");
        EXPECT_EQ(box.checked, panel); // the panel is not filled again
        EXPECT_EQ(st.settings.lastFileName, dir / "good.hex");
    };
    open(dir / "bad.hex");
    expectOnlyMessage("Incorrect file !\nChecksum error in file", "Kestro", MsgIcon::None);
    expectUnchanged();
    open(dir / "missing.hex");
    expectOnlyMessage("Can't Open File !", "Kestro", MsgIcon::None);
    expectUnchanged();
    const std::string sub = dir / "sub.hex";
    std::filesystem::create_directory(sub);
    open(sub); // a folder is no file
    expectOnlyMessage("Can't Open File !", "Kestro", MsgIcon::None);
    expectUnchanged();
    open(sub + "/missing.bin");
    expectOnlyMessage("Can't Open File!", "Error", MsgIcon::Stop);
    expectUnchanged();
    EXPECT_EQ(form.openDialogDir, sub); // the dialog stays where the user went
    test::writeFile(dir / "bad.elf", std::string("not an ELF file"));
    open(dir / "bad.elf");
    EXPECT_EQ(host.texts().size(), 1u);
    host.messages.clear();
    expectUnchanged();
}

TEST_F(FileCommands, ABinaryLongerThanTheMemorySaysWhatWasLeftOut) {
    select(chips::kAt89C52);
    test::writeFile(dir / "big.bin", test::pattern(16384, 3));
    open(dir / "big.bin");
    expectOnlyMessage("File larger than the device !\n8192 bytes at its end were not loaded.", "Kestro",
                      MsgIcon::None);
    EXPECT_EQ(test::slice(st.images.program, 0, 8192), test::slice(test::pattern(16384, 3), 0, 8192));
    EXPECT_EQ(label(), "big.bin");
    test::writeFile(dir / "fits.bin", test::pattern(8192, 3));
    open(dir / "fits.bin");
    EXPECT_TRUE(host.messages.empty());
    select(chips::kAt90S2313); // the data view measures against the data memory
    form.ProgDatButtClick();
    open(dir / "fits.bin");
    expectOnlyMessage("File larger than the device !\n8064 bytes at its end were not loaded.", "Kestro",
                      MsgIcon::None);
}

TEST_F(FileCommands, PathsThatAreNoRegularFileFailAtOnce) {
    select(chips::kAt90S2313); // a binary load also reads the .eep and .fus beside it
    const auto makeSocket = [](const std::string& path) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path.copy(addr.sun_path, sizeof addr.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        return made;
    };
    std::vector<std::string> fifos;
    for (const std::string ext : {".hex", ".bin"}) {
        fifos.push_back(dir / ("pipe" + ext));
        ASSERT_EQ(::mkfifo(fifos.back().c_str(), 0666), 0);
        ASSERT_TRUE(makeSocket(dir / ("socket" + ext)));
        ASSERT_EQ(::symlink("/dev/null", (dir / ("device" + ext)).c_str()), 0);
        std::filesystem::create_directory(dir / ("folder" + ext));
    }
    for (const char* name : {"pipe", "socket", "device", "folder"}) {
        for (const bool hex : {true, false}) {
            const std::string path = dir / (name + std::string(hex ? ".hex" : ".bin"));
            SCOPED_TRACE(path);
            const auto expectRefused = [&] {
                if (hex) expectOnlyMessage("Can't Open File !", "Kestro", MsgIcon::None);
                else expectOnlyMessage("Can't Open File!", "Error", MsgIcon::Stop);
            };
            EXPECT_TRUE(test::returnsAtOnce(fifos, [&] { open(path); }));
            expectRefused();
            st.settings.lastFileName = path; // a failed Open does not remember it
            EXPECT_TRUE(test::returnsAtOnce(fifos, [&] { form.OpenLastFile1Click(); }));
            expectRefused();
        }
    }

    // Side files that are no regular files are skipped like missing ones.
    test::writeFile(dir / "main.bin", test::pattern(2048, 1));
    for (const char* ext : {".eep", ".fus"}) {
        fifos.push_back(dir / ("main" + std::string(ext)));
        ASSERT_EQ(::mkfifo(fifos.back().c_str(), 0666), 0);
    }
    EXPECT_TRUE(test::returnsAtOnce(fifos, [&] { open(dir / "main.bin"); }));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(test::slice(st.images.program, 0, 2048), test::pattern(2048, 1));
    EXPECT_EQ(st.images.dataFileName, kDataFileDefault);
}

TEST_F(FileCommands, SaveOfAPicWritesIntelHexAndOpenLastFileReadsItBack) {
    select(chips::kPic16F84);
    for (uint32_t i = 0; i < 2048; i += 2) st.images.program[i] = 0x3F;
    st.images.program[0] = 0x28, st.images.program[1] = 0x05;
    st.images.configBlock[0] = 0xF1, st.images.configBlock[1] = 0x3F;
    st.images.data[3] = 0x99;
    form.SetFuse(1); // the panel shows the fuse bytes; Save reads them back from it
    form.model.control("Edit1").caption = "1234";
    const std::string longDir = dir / std::string(90, 'f');
    std::filesystem::create_directory(longDir);
    form.saveDialogDir = longDir;
    saveAs(longDir + "/firmware.bin");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.lastDialogDir, longDir);
    EXPECT_EQ(host.lastSaveName, "ProgBuf.bin");
    const std::string hex = longDir + "/firmware.hex";
    EXPECT_FALSE(std::filesystem::exists(longDir + "/firmware.bin"));
    EXPECT_EQ(st.images.programFileName + " " + st.images.dataFileName, hex + " " + hex);
    EXPECT_EQ(st.settings.lastFileName, hex);
    EXPECT_EQ(label(), "firmware.hex");
    // Open Last File reads it back (the ID from the field), swaps the words, names both
    // buffers and leaves the dialogs alone.
    const auto saved = std::make_unique<Images>(st.images);
    select(chips::kPic16F84);
    form.OpenLastFile1Click();
    EXPECT_TRUE(host.messages.empty());
    for (uint32_t i = 0; i < 2048; i += 2) st.images.program[i] &= 0x3F; // blank words: 0xFFFF
    EXPECT_EQ(st.images.program, saved->program);
    EXPECT_EQ(st.images.data, saved->data);
    EXPECT_EQ(test::slice(st.images.idBlock, 0, 2), (test::Bytes{0x12, 0x34}));
    EXPECT_EQ(test::slice(st.images.configBlock, 0, 2), (test::Bytes{0xF1, 0x3F}));
    EXPECT_EQ(st.images.dataFileName, hex);
    EXPECT_EQ(form.openDialogDir, "");
}

TEST_F(FileCommands, SaveOfOtherDevicesWritesBinaryImages) {
    select(chips::kAttiny11); // the .fus file holds the pair the panel's read-back left
    saveAs(dir / "tiny.hex");
    const auto pair = st.fuse.fuseFilePair;
    EXPECT_EQ(test::readBytes(dir / "tiny.fus"), (test::Bytes{pair[1], pair[0]}));
    EXPECT_EQ(label(), "tiny.bin");
    EXPECT_EQ(st.settings.lastFileName, dir / "tiny.bin");

    // A file that cannot be created: the message, and the label and last name keep
    // naming what is on disk.
    saveAs(dir / "no/such/dir/x.bin");
    expectOnlyMessage("Can't Save File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.settings.lastFileName, dir / "tiny.bin");
    EXPECT_EQ(label(), "tiny.bin");
    select(chips::kPic16F84);
    form.model.control("Edit1").caption = "0000"; // a valid ID field: no message of its own
    saveAs(dir / "no/such/dir/y");
    expectOnlyMessage("Can't Save File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.settings.lastFileName, dir / "tiny.bin");
    EXPECT_EQ(st.images.programFileName, "ProgBuf.bin");
    saveAs(std::nullopt); // cancelled
    EXPECT_EQ(st.settings.lastFileName, dir / "tiny.bin");
}

TEST_F(FileCommands, SaveLeavesAloneWhatTheUserCouldNotWriteHimself) {
    select(chips::kAt89C51);
    // No regular files: a rename would replace them where a write would block or fail.
    ASSERT_EQ(::mkfifo((dir / "pipe.bin").c_str(), 0666), 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    (dir / "sock.bin").copy(addr.sun_path, sizeof addr.sun_path - 1);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(sock);
    for (const char* name : {"pipe.bin", "sock.bin"}) {
        saveAs(dir / name);
        expectOnlyMessage("Can't Save File!", "Error", MsgIcon::Stop);
        struct stat sb {};
        EXPECT_TRUE(::lstat((dir / name).c_str(), &sb) == 0 && !S_ISREG(sb.st_mode)) << name;
    }

    const auto user = test::Unprivileged::find();
    if (!user) GTEST_SKIP() << "no unprivileged user to save as: read-only targets untested";
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chown(dir.path.c_str(), user->uid, user->gid), 0); // a folder the user may write
    struct Case {
        const char* name;
        mode_t mode;
        bool theirs; // owned by root, not by the user
        bool saved;
    };
    const Case cases[] = {
        {"readonly.bin", 0444, false, false},
        {"roots.bin", 0644, true, false},
        {"writable.bin", 0644, false, true}, // the atomic replace stays for these
    };
    for (const Case& c : cases) {
        if (c.theirs && !root) continue;
        test::writeFile(dir / c.name, std::string("previous"));
        ASSERT_EQ(::chmod((dir / c.name).c_str(), c.mode), 0);
        if (!c.theirs) {
            ASSERT_EQ(::chown((dir / c.name).c_str(), user->uid, user->gid), 0);
        }
    }
    ASSERT_EQ(::symlink("readonly.bin", (dir / "link.bin").c_str()), 0);

    const auto report = user->run([&](std::string& report) {
        auto check = [&](const std::string& name, bool saved) {
            saveAs(dir / name);
            const bool refused = host.texts() == std::vector<std::string>{"Can't Save File!"} &&
                                 host.messages[0].icon == MsgIcon::Stop;
            const bool replaced = test::readFile(dir / name) != "previous";
            if (saved ? !host.messages.empty() || !replaced : !refused || replaced)
                report += name + (saved ? ": not saved\n" : ": replaced\n");
            host.messages.clear();
        };
        for (const Case& c : cases)
            if (!c.theirs || root) check(c.name, c.saved);
        check("link.bin", false);
    });
    if (!report) GTEST_SKIP() << "cannot drop privileges: read-only targets untested";
    EXPECT_EQ(*report, "");
    struct stat sb {};
    ASSERT_EQ(::stat((dir / "writable.bin").c_str(), &sb), 0);
    EXPECT_EQ(sb.st_mode & 0777, 0644u);
    EXPECT_EQ(sb.st_uid, user->uid);
    EXPECT_EQ(dir.names().size(), root ? 6u : 5u); // no temporary file left
}

TEST_F(FileCommands, ViewToggleShowsTheViewsFileName) {
    select(chips::kAt90S2313);
    st.images.programFileName = dir / "p.bin";
    st.images.dataFileName = dir / "q.eep";
    form.ProgDatButtClick();
    EXPECT_EQ(st.images.view, DataView);
    EXPECT_EQ(label(), "q.eep");
    form.ProgDatButtClick();
    EXPECT_EQ(st.images.view, ProgramView);
    EXPECT_EQ(label(), "p.bin");
}

} // namespace
} // namespace kestro
