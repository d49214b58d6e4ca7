// What kestro-cli says is what happened: the kind of a path that is no file, the bytes a
// range moved, an identification that did not find the chip, a failed block, the
// menu's part names, long port paths and a dumb terminal.

#include "cli_fixture.h"

#include "link/link.h"
#include "support/json_value.h"

#include <sys/stat.h>

namespace kestro {
namespace {

struct Texts : test::CliTest {};

TEST_F(Texts, APathThatIsNoFileSaysWhatItIs) {
    socket("AT89C52");
    ::mkfifo(path("pipe.bin").c_str(), 0600);
    std::filesystem::create_directory(path("folder.bin"));
    const struct {
        std::string file;
        const char* says;
    } cases[] = {{path("folder.bin"), "a folder, not a file"},
                 {path("pipe.bin"), "a pipe, not a file"},
                 {"/dev/zero", "a device, not a file"},
                 {"/dev/null", "a device, not a file"}};
    for (const auto& c : cases) {
        const auto r = run({"-p", "AT89C52", "--no-waits", "write", c.file});
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("Inappropriate ioctl"), std::string::npos) << r.err;
    }
}

TEST_F(Texts, EachLineSaysWhatHappened) {
    socket("27C256");
    auto r = run({"-p", "27C256", "--no-waits", "--range", "007FF0:007FFF", "read", path("x.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("Reading Chip... done (16 bytes"), std::string::npos) << r.err;

    // Another chip of the family in the socket: identification did not find the part.
    socket("AT89C51");
    r = run({"-p", "AT89C52", "--no-waits", "erase"});
    EXPECT_EQ(r.code, 6);
    EXPECT_EQ(r.err.find("Reading Chip Signature Bytes... done"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Reading Chip Signature Bytes... failed"), std::string::npos) << r.err;

    // The menu's names: row 170 is the 29C010A there.
    r = run({"parts", "29C010A"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("29C010A     -        131072   29xxx / 49xxx"), std::string::npos) << r.out;
    r = run({"parts", "29F800"});
    EXPECT_NE(r.out.find("29F800      -        1048576  "), std::string::npos) << r.out;
}

TEST_F(Texts, ALongPortPathKeepsTheWholeMessage) {
    const std::string port = "/tmp/" + std::string(300, 'p');
    EXPECT_EQ(openFailureText({SerialPort::OpenStatus::OpenFailed, 2}, port),
              "Could Not Use the '" + port + "' Serial Port!");
}

TEST_F(Texts, ADumbTerminalGetsPlainLines) {
    socket("27C256");
    env.stderrTerminal = true;
    env.dumbTerminal = true;
    const auto r = run({"-p", "27C256", "--no-waits", "read", path("x.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_EQ(r.err.find("\x1b["), std::string::npos);
    EXPECT_NE(r.err.find("Reading Chip... done (32768 bytes"), std::string::npos) << r.err;
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

// A file name that is no UTF-8 keeps every JSON line valid: the text has U+FFFD for
// each such byte, and the name's bytes come beside it.
TEST_F(Texts, JsonLinesStayUtf8ForANameThatIsNot) {
    socket("AT89C52");
    const std::string name = path("caf\xe9\xff.bin");
    test::writeFile(name, test::pattern(100, 1));
    auto r = run({"-p", "AT89C52", "--json", "--no-waits", "write", name, "read", name});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto lines = test::parseJsonLines(r.out);
    ASSERT_TRUE(lines) << r.out;
    bool step = false, saved = false;
    for (const auto& l : *lines) {
        if (l["event"].string == "step" && l["step"].string == "write") {
            step = l["file"].string.ends_with("caf\xef\xbf\xbd\xef\xbf\xbd.bin");
            const auto& bytes = l["file_bytes"].array;
            step = step && bytes.size() == name.size() && bytes[bytes.size() - 6].number == 0xE9 &&
                   bytes[bytes.size() - 5].number == 0xFF;
        }
        if (l["event"].string == "step_end" && l["step"].string == "read")
            saved = l["saved_bytes"].array.size() == name.size();
    }
    EXPECT_TRUE(step) << r.out;
    EXPECT_TRUE(saved) << r.out;

    // The strict reading refuses what the old writer wrote.
    EXPECT_FALSE(test::parseJsonLines("{\"file\":\"caf\xe9\"}\n"));
}

} // namespace
} // namespace kestro
