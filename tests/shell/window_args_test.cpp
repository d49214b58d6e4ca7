// The window program's command line, and files reaching the window from outside it.

#include "shell/tmyform.h"
#include "shell/window_args.h"
#include "support/fake_host.h"
#include "support/null_port.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kestro {
namespace {

TEST(WindowArgs, HelpVersionAFileAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        WindowArgs::Action action;
        std::string file;
    };
    const Case cases[] = {
        {{}, WindowArgs::Run, ""},
        {{"fw.hex"}, WindowArgs::Run, "fw.hex"},
        {{"--", "-odd.hex"}, WindowArgs::Run, "-odd.hex"}, // a name that starts with a dash
        {{"-"}, WindowArgs::Run, "-"},
        {{"--help"}, WindowArgs::Help, ""},
        {{"fw.hex", "-h"}, WindowArgs::Help, ""},
        {{"--version"}, WindowArgs::Version, ""},
        {{"--bogus"}, WindowArgs::UsageError, ""},
        {{"-x", "--help"}, WindowArgs::UsageError, ""}, // the first fault is reported
        {{"a.hex", "b.hex"}, WindowArgs::UsageError, ""},
        {{"--", "--help"}, WindowArgs::Run, "--help"},
    };
    for (const Case& c : cases) {
        const WindowArgs a = parseWindowArgs(c.args);
        const std::string which = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(a.action, c.action) << which;
        EXPECT_EQ(a.file, c.file) << which;
        EXPECT_EQ(a.error.empty(), c.action != WindowArgs::UsageError) << which;
    }
    EXPECT_EQ(parseWindowArgs({"--bogus"}).error, "unknown option '--bogus'");
    EXPECT_EQ(windowHelpText().rfind("Usage: kestro ", 0), 0u);
    EXPECT_EQ(windowVersionText().rfind("kestro ", 0), 0u);
}

struct FileFromOutside : ::testing::Test {
    test::FakeHost host;
    test::NullPort port;
    TMyForm form{host, port};
    std::filesystem::path dir;
    void SetUp() override {
        form.FormCreate();
        host.messages.clear(); // no adapter: the start-up's own
        char tmpl[] = "/tmp/kestro-args-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        std::ofstream(dir / "fw.bin") << "\x12\x34";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(FileFromOutside, ARelativeNameIsKeptAsTheWholePath) {
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    form.openFile("./fw.bin");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(form.st.images.program[0], 0x12);
    EXPECT_EQ(form.st.settings.lastFileName, (dir / "fw.bin").string());
    EXPECT_EQ(form.openDialogDir, dir.string());
    EXPECT_EQ(form.model.control("FileLabel").caption, "fw.bin");
}

TEST_F(FileFromOutside, ADropIsTakenOnlyWhereOpenCouldBeChosen) {
    form.lockUserInterface(false); // an operation runs
    EXPECT_FALSE(form.acceptsDrop());
    EXPECT_FALSE(form.FileDropped((dir / "fw.bin").string()));
    EXPECT_EQ(form.st.images.program[0], 0xFF);
    form.lockUserInterface(true);
    EXPECT_TRUE(form.FileDropped((dir / "fw.bin").string()));
    EXPECT_EQ(form.st.images.program[0], 0x12);
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace kestro
