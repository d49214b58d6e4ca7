#include "buffers/file_commands.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"
#include "support/form_fixture.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::record;

struct FileCommands : test::StartedForm {
    test::TempDir dir;

    void SetUp() override {
        StartedForm::SetUp();
        host.messages.clear(); // whatever the start-up had to say
    }
    void open(const std::string& path) {
        host.openAnswers.push_back(path);
        form.Open1Click();
    }
    void saveAs(const std::string& path) {
        host.saveAnswers.push_back(path);
        form.Save1Click();
    }
    std::string label() { return form.model.control("FileLabel").caption; }
    void expectOnlyMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text);
        EXPECT_EQ(host.messages[0].caption, caption);
        EXPECT_EQ(host.messages[0].icon, icon);
        EXPECT_EQ(host.messages[0].buttons, MsgButtons::Ok);
        host.messages.clear();
    }
};

TEST_F(FileCommands, OpenChoosesTheLoaderByExtension) {
    select(test::kAt89c51);
    const std::string text = test::hexFile({record(0, 0, {0xDE, 0xAD})});
    test::writeFile(dir / "prog.Hex", text);
    test::writeFile(dir / "prog.txt", text);
    open(dir / "prog.Hex");
    EXPECT_EQ(host.lastDialogFilter, "Hex & Bin files (*.hex *.bin *.HEX *.BIN);;All files (*)");
    EXPECT_EQ(st.images.program[0], 0xDE);
    EXPECT_EQ(st.images.program[2], 0xFF);
    EXPECT_EQ(st.images.programFileName, dir / "prog.Hex");
    EXPECT_EQ(st.images.dataFileName, kDataFileDefault);
    EXPECT_EQ(label(), "prog.Hex");
    EXPECT_EQ(st.settings.lastFileName, dir / "prog.Hex");
    EXPECT_EQ(form.openDialogDir, dir.path());
    EXPECT_EQ(form.saveDialogDir, dir.path());
    EXPECT_TRUE(host.messages.empty());

    open(dir / "prog.txt"); // any other extension: a binary image
    EXPECT_EQ(st.images.program[0], ':');
    EXPECT_EQ(host.lastDialogDir, dir.path());
    EXPECT_EQ(label(), "prog.txt");

    host.openAnswers.push_back(std::nullopt); // cancelled: nothing changes
    form.Open1Click();
    EXPECT_EQ(st.settings.lastFileName, dir / "prog.txt");
    EXPECT_EQ(st.images.program[0], ':');
}

TEST_F(FileCommands, FailedLoadsStillFinishTheCommand) {
    select(test::kAt90s2313);
    st.images.program.fill(0);
    test::writeFile(dir / "bad.hex", record(0, 0, {1, 2}) + "\n");
    open(dir / "bad.hex");
    expectOnlyMessage("Incorrect file !\nExpected ':'", "Kestro", MsgIcon::None);
    EXPECT_EQ(st.images.program[1], 2);
    EXPECT_EQ(st.images.program[2], 0xFF);
    EXPECT_EQ(st.settings.lastFileName, dir / "bad.hex");

    open(dir / "missing.hex");
    expectOnlyMessage("Can't Open File !", "Kestro", MsgIcon::None);
    EXPECT_EQ(st.images.program[1], 0xFF); // cleared before the open was tried

    const std::string sub = dir / "sub";
    std::filesystem::create_directory(sub);
    st.images.program[0] = 0x42;
    open(sub + "/missing.bin");
    expectOnlyMessage("Can't Open File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.images.program[0], 0x42); // a binary load that fails changes nothing
    EXPECT_EQ(label(), "missing.bin");
    EXPECT_EQ(form.openDialogDir, sub);
    EXPECT_EQ(st.settings.lastFileName, sub + "/missing.bin");
}

TEST_F(FileCommands, PicHexOpenSwapsWordsAndNamesBothBuffers) {
    select(test::kPic16f84);
    test::writeFile(dir / "pic.hex",
                    test::hexFile({record(0, 0, {0x83, 0x16}), record(0, 0x400E, {0xF2, 0x3F}),
                                   record(0, 0x4200, {0x12, 0})}, "\r\n"));
    open(dir / "pic.hex");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(st.images.program[0], 0x16); // high byte first after the swap
    EXPECT_EQ(st.images.program[1], 0x83);
    EXPECT_EQ(st.images.configBlock[0], 0xF2);
    EXPECT_EQ(st.images.data[0], 0x12);
    EXPECT_EQ(st.images.dataFileName, dir / "pic.hex");

    // A binary image of a PIC is taken as it stands, with its side files.
    test::writeFile(dir / "pic.bin", std::string("\x16\x83", 2));
    test::writeFile(dir / "pic.fus", std::string("\x3F\xF1", 2));
    open(dir / "pic.bin");
    EXPECT_EQ(st.images.program[0], 0x16);
    EXPECT_EQ(st.images.configBlock[0], 0xF1);
}

TEST_F(FileCommands, SaveOfAPicWritesIntelHexAndOpenLastFileReadsItBack) {
    select(test::kPic16f84);
    for (uint32_t i = 0; i < 2048; i += 2) {
        st.images.program[i] = 0x3F;
        st.images.program[i + 1] = 0xFF;
    }
    st.images.program[0] = 0x28;
    st.images.program[1] = 0x05;
    st.images.configBlock[0] = 0xF1;
    st.images.configBlock[1] = 0x3F;
    st.images.idBlock[0] = 0x12;
    st.images.idBlock[1] = 0x34;
    st.images.data[3] = 0x99;
    // The panel shows the fuse bytes; Save reads them back from it.
    form.SetFuse(1);
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
    EXPECT_EQ(st.images.programFileName, hex);
    EXPECT_EQ(st.images.dataFileName, hex);
    EXPECT_EQ(st.settings.lastFileName, hex);
    EXPECT_EQ(label(), "firmware.hex");
    EXPECT_EQ(test::readFile(hex),
              record(0, 0, {0x05, 0x28}) + "\r\n" + record(0, 0x4000, {1, 0, 2, 0, 3, 0, 4, 0}) + "\r\n" +
                  record(0, 0x400E, {0xF1, 0x3F}) + "\r\n" +
                  record(0, 0x4200, {0xFF, 0, 0xFF, 0, 0xFF, 0, 0x99, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0}) +
                  "\r\n:00000001FF\r\n");

    const auto saved = std::make_unique<Images>(st.images);
    select(test::kPic16f84);
    form.OpenLastFile1Click();
    EXPECT_TRUE(host.messages.empty());
    // Blank words were left out of the file: they come back erased, equal under the mask.
    for (uint32_t i = 0; i < 2048; ++i) {
        const uint8_t mask = i % 2 == 0 ? 0x3F : 0xFF;
        ASSERT_EQ(st.images.program[i] & mask, saved->program[i] & mask) << i;
    }
    EXPECT_EQ(st.images.data, saved->data);
    EXPECT_EQ(st.images.configBlock[0], 0xF1);
    EXPECT_EQ(st.images.idBlock[0], 0x12);
    EXPECT_EQ(st.images.idBlock[1], 0x34);
    EXPECT_EQ(st.settings.lastFileName, hex);
    EXPECT_EQ(form.openDialogDir, ""); // Open Last File leaves the dialogs alone
}

TEST_F(FileCommands, SaveOfOtherDevicesWritesBinaryImages) {
    select(test::k24c02);
    st.images.program[0] = 0x24;
    saveAs(dir / "eeprom.hex");
    EXPECT_EQ(test::readBytes(dir / "eeprom.bin").size(), 256u);
    EXPECT_EQ(st.images.dataFileName, dir / "eeprom.bin");
    EXPECT_EQ(label(), "eeprom.bin"); // data view
    EXPECT_EQ(st.settings.lastFileName, dir / "eeprom.bin");

    // ATtiny11: a .fus file beside the program; opening the program does not read it.
    select(test::kAttiny11);
    st.fuse.fuseFilePair = {0x0A, 0x0B};
    saveAs(dir / "tiny");
    const auto pair = st.fuse.fuseFilePair; // as the panel's read-back left it
    EXPECT_EQ(test::readBytes(dir / "tiny.fus"), (std::vector<uint8_t>{pair[1], pair[0]}));
    EXPECT_EQ(label(), "tiny.bin");
    st.images.configBlock[0] = 0x77;
    open(dir / "tiny.bin");
    EXPECT_EQ(st.images.configBlock[0], 0x77);

    // A file that cannot be created: the message, then the label and last name as usual.
    saveAs(dir / "no/such/dir/x.bin");
    expectOnlyMessage("Can't Save File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.settings.lastFileName, dir / "no/such/dir/x.bin");
    EXPECT_EQ(label(), "x.bin");
    select(test::kPic16f84);
    form.model.control("Edit1").caption = "0000"; // a valid ID field: no message of its own
    saveAs(dir / "no/such/dir/y");
    expectOnlyMessage("Can't Save File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.settings.lastFileName, dir / "no/such/dir/y.hex");

    host.saveAnswers.push_back(std::nullopt); // cancelled
    form.Save1Click();
    EXPECT_EQ(st.settings.lastFileName, dir / "no/such/dir/y.hex");
}

TEST_F(FileCommands, ViewToggleAndViewDependentLoads) {
    select(test::kAt90s2313);
    test::writeFile(dir / "d.bin", std::string(300, '\x11'));
    st.images.view = DataView;
    open(dir / "d.bin");
    EXPECT_EQ(st.images.data[127], 0x11);
    EXPECT_EQ(st.images.program[0], 0xFF);
    EXPECT_EQ(st.images.programFileName, dir / "d.bin");
    EXPECT_EQ(st.images.dataFileName, dir / "d.bin");
    EXPECT_EQ(label(), "d.bin");
    select(test::kAt90s2313);
    st.images.programFileName = dir / "p.bin";
    st.images.dataFileName = dir / "q.eep";
    form.ProgDatButtClick();
    EXPECT_EQ(st.images.view, DataView);
    EXPECT_EQ(label(), "q.eep");
    form.ProgDatButtClick();
    EXPECT_EQ(st.images.view, ProgramView);
    EXPECT_EQ(label(), "p.bin");
}

TEST_F(FileCommands, LongPathsAreKeptWhole) {
    select(test::kAt89c51);
    const std::string deep = dir / (std::string(70, 'a') + "/" + std::string(60, 'b'));
    std::filesystem::create_directories(deep);
    const std::string name = std::string(100, 'c') + ".bin";
    test::writeFile(deep + "/" + name, std::string(10, '\x22'));
    open(deep + "/" + name);
    EXPECT_EQ(st.images.program[9], 0x22);
    EXPECT_EQ(st.settings.lastFileName, deep + "/" + name);
    EXPECT_EQ(st.images.programFileName, deep + "/" + name);
    EXPECT_EQ(label(), name);
    saveAs(deep + "/" + std::string(100, 'c') + ".hex");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(st.settings.lastFileName, deep + "/" + name);
    EXPECT_EQ(test::readBytes(deep + "/" + name).size(), 4096u);
    form.OpenLastFile1Click();
    EXPECT_EQ(st.images.program[9], 0x22);
    EXPECT_EQ(st.images.program[10], 0xFF);
}

TEST_F(FileCommands, OpenLastFileWithoutANameUsesTheLoadersMessage) {
    select(test::kAt89c51);
    form.OpenLastFile1Click();
    expectOnlyMessage("Can't Open File!", "Error", MsgIcon::Stop);
    EXPECT_EQ(st.settings.lastFileName, "");
    EXPECT_EQ(label(), "");
}

} // namespace
} // namespace kestro
