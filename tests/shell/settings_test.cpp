#include "shell/tmyform.h"
#include "sim/sim_serial_port.h"
#include "support/fake_host.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

namespace kestro {
namespace {

struct Settings : ::testing::Test {
    test::FakeHost host;
    AdapterSim adapter;
    SimSerialPort port{host.clock, adapter};
    TMyForm form{host, port};
    State& st = form.st;
};

TEST_F(Settings, FirstStartWritesDefaultsAtOnce) {
    form.FormCreate();
    EXPECT_EQ(test::readSettingsFile(),
              "Serialport:COM1\nDevice:\nVerify:Disabled\nDataProg:Disabled\n");
    EXPECT_EQ(st.device.index, 0);
    EXPECT_EQ(st.device.name, "AT89C1051");
    EXPECT_EQ(form.model.control("ComLabel").caption, "COM1");
}

TEST_F(Settings, ExampleFileIsReadAndWrittenBackTheSame) {
    const std::string file =
        "Serialport:COM2\nDevice:PIC16F84\nVerify:Enabled\nDataProg:Disabled\n/work/blink.hex";
    test::writeSettingsFile(file);
    adapter.config = adapterConfig(AdapterKind::Full);
    SimSerialPort port2{host.clock, adapter, "COM2"};
    TMyForm form2{host, port2};
    form2.FormCreate();
    EXPECT_EQ(form2.st.settings.portIndex, 1);
    EXPECT_EQ(form2.st.device.index, 68);
    EXPECT_EQ(form2.st.settings.verifyAfterProgram, 1);
    EXPECT_EQ(form2.st.settings.autoDataMemory, 0);
    EXPECT_EQ(form2.st.settings.lastFileName, "/work/blink.hex");
    EXPECT_EQ(form2.model.menu("Program1").caption, "Program+Verify");
    EXPECT_TRUE(form2.model.menu("VerifyafterProgram1").checked);
    form2.ExitmnuClick();
    EXPECT_EQ(test::readSettingsFile(), file);
}

TEST_F(Settings, WordsAreMatchedExactlyAndByPosition) {
    struct Case {
        const char* file;
        int port, device, verify, data;
        const char* last;
    };
    const Case cases[] = {
        // the second 29F010 reads back as the first
        {"Serialport:COM4 Device:29F010 Verify:Disabled DataProg:Enabled x", 3, 170, 0, 1, "x"},
        // names are case-sensitive; "unknown" never matches
        {"Serialport:com2\nDevice:pic16f84\nVerify:enabled\nDataProg:On\n", 0, 0, 0, 0, ""},
        {"Serialport:COM5\nDevice:unknown\n", 0, 0, 0, 0, ""},
        // a missing Verify line shifts every later word one place
        {"Serialport:COM3\nDevice:24C02\nDataProg:Enabled\n/a/b.hex", 2, 121, 0, 0, ""},
        // blank lines and extra spaces are skipped
        {"\n\n  Serialport:COM2   \n\nDevice:TCN75\n Verify:Enabled\nDataProg:Enabled\n\n", 1, 195,
         1, 1, ""},
        // a word longer than 39 characters is cut, not overrun
        {"Serialport:COM2xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n", 0, 0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        test::writeSettingsFile(c.file);
        st.settings = {};
        EXPECT_EQ(form.readSettings(), 0);
        EXPECT_EQ(st.settings.portIndex, c.port);
        EXPECT_EQ(st.device.index, c.device);
        EXPECT_EQ(st.settings.verifyAfterProgram, c.verify);
        EXPECT_EQ(st.settings.autoDataMemory, c.data);
        EXPECT_EQ(st.settings.lastFileName, c.last);
    }
}

TEST_F(Settings, LastFileNameIsOneLineThatAFileCanHave) {
    const std::string head = "Serialport:COM1\nDevice:AT89C51\nVerify:Disabled\nDataProg:Disabled\n";
    const std::string spaced = "/home/user/firmware images/" + std::string(120, 'x') + ".hex";
    const std::string longest = "/" + std::string(PATH_MAX - 2, 'y');
    const std::pair<std::string, std::string> cases[] = {
        {spaced + " \r\n", spaced},
        {longest, longest},
        {"/a/b.hex\n/c/d.hex\n", "/a/b.hex"},
        {longest + "z", ""},                   // no file has a name that long: dropped, not cut
        {std::string(10 << 20, 'z'), ""},
        {std::string("/a/b\0.hex", 9), ""}, // nor one with a NUL byte
    };
    for (const auto& [line, name] : cases) {
        SCOPED_TRACE(line.substr(0, 40));
        test::writeSettingsFile(head + line);
        form.readSettings();
        EXPECT_EQ(st.settings.lastFileName, name);
        form.writeSettings();
        EXPECT_EQ(test::readSettingsFile(), head + name);
    }
    st.settings.lastFileName = "/a/b.hex\nDevice:27C256"; // what a file dialog could give
    form.writeSettings();
    EXPECT_EQ(test::readSettingsFile(), head);
}

TEST_F(Settings, ALinkedSettingsFileIsWrittenThroughTheLink) {
    const auto dir = test::testConfigDir();
    std::filesystem::create_directories(dir / "profiles");
    const std::string file = "Serialport:COM1\nDevice:PIC16F84\nVerify:Disabled\nDataProg:Disabled\n";
    for (const bool dangling : {false, true}) {
        SCOPED_TRACE(dangling);
        std::filesystem::remove(dir / "kestro.cfg");
        std::filesystem::remove(dir / "profiles/bench.cfg");
        std::filesystem::create_symlink("profiles/bench.cfg", dir / "kestro.cfg");
        if (!dangling) std::ofstream(dir / "profiles/bench.cfg") << file;
        test::FakeHost host2;
        SimSerialPort port2{host2.clock, adapter};
        TMyForm form2{host2, port2};
        form2.FormCreate();
        form2.VerifyafterProgram1Click();
        form2.FormClose();
        EXPECT_TRUE(host2.messages.empty());
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "kestro.cfg"));
        EXPECT_EQ(test::readSettingsFile(),
                  dangling ? "Serialport:COM1\nDevice:AT89C1051\nVerify:Enabled\nDataProg:Disabled\n"
                           : "Serialport:COM1\nDevice:PIC16F84\nVerify:Enabled\nDataProg:Disabled\n");
    }
}

TEST_F(Settings, ALinkToAFileThatIsNoSettingsFileIsLeftAlone) {
    // As root every file is writable: only what the file holds can tell a settings file
    // kept elsewhere from a link that points somewhere it should not.
    const auto dir = test::testConfigDir();
    std::filesystem::create_directories(dir / "etc");
    const std::string passwd = "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n";
    std::ofstream(dir / "etc/passwd") << passwd;
    std::filesystem::remove(dir / "kestro.cfg");
    std::filesystem::create_symlink(dir / "etc/passwd", dir / "kestro.cfg");
    test::FakeHost host2;
    SimSerialPort port2{host2.clock, adapter};
    TMyForm form2{host2, port2};
    form2.FormCreate();
    EXPECT_TRUE(host2.messages.empty());
    form2.FormClose();
    EXPECT_EQ(host2.texts(), std::vector<std::string>{"Can't Write ConfigFile!"});
    std::ifstream in(dir / "etc/passwd");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), passwd);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "kestro.cfg"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "etc"), {}), 1); // no temporary left
}

TEST_F(Settings, UnwritableFolderIsReportedAndStartUpGoesOn) {
    const auto dir = test::testConfigDir();
    std::filesystem::create_directories(dir.parent_path());
    std::filesystem::remove_all(dir);
    test::writeSettingsFile(""); // make the folder, then replace the file by a folder
    std::filesystem::remove(dir / "kestro.cfg");
    std::filesystem::create_directories(dir / "kestro.cfg" / "blocked");
    form.FormCreate();
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Can't Write ConfigFile!"});
    EXPECT_EQ(st.device.index, 0);
    form.FormClose();
    EXPECT_EQ(host.texts().size(), 2u);
}

TEST_F(Settings, SystemCloseAndExitLeaveTheSameFile) {
    form.FormCreate();
    form.clickHandler("N24C021Click");
    form.VerifyafterProgram1Click();
    form.FormClose();
    const std::string afterClose = test::readSettingsFile();
    std::filesystem::remove(test::testConfigDir() / "kestro.cfg");

    test::FakeHost host2;
    AdapterSim adapter2;
    SimSerialPort port2{host2.clock, adapter2};
    TMyForm form2{host2, port2};
    test::writeSettingsFile(afterClose);
    form2.FormCreate();
    form2.ExitmnuClick();
    EXPECT_EQ(test::readSettingsFile(), afterClose);
    EXPECT_NE(afterClose.find("Device:24C02\nVerify:Enabled\n"), std::string::npos);
}

TEST_F(Settings, SetupTogglesChangeTheirCaptions) {
    form.FormCreate();
    form.VerifyafterProgram1Click();
    EXPECT_EQ(form.model.menu("VerifyafterProgram1").caption, "Verify after Program  [ X ]");
    EXPECT_EQ(form.model.menu("EraseProgram1").caption, "Erase+Program+Verify");
    EXPECT_EQ(form.model.menu("EraseProgramSecurity1").caption, "Erase+Program+Verify+Security");
    form.VerifyafterProgram1Click();
    EXPECT_EQ(form.model.menu("Program1").caption, "Program");
    EXPECT_FALSE(form.model.menu("VerifyafterProgram1").checked);
    form.AutoDataMemoryProgram1Click();
    EXPECT_EQ(form.model.menu("AutoDataMemoryProgram1").caption, "Auto Data Memory Program  [ X ]");
    EXPECT_TRUE(form.model.menu("AutoDataMemoryProgram1").checked);
    form.AutoDataMemoryProgram1Click();
    EXPECT_EQ(form.model.menu("AutoDataMemoryProgram1").caption, "Auto Data Memory Program  [   ]");
}

} // namespace
} // namespace kestro
