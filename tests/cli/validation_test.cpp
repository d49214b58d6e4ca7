// The command line takes fuse names, IDs, configuration words, lock levels and ports
// as the panel and the window take them, and says what it changed.

#include "cli_fixture.h"

#include "support/child_process.h"

namespace kestro {
namespace {

struct Validation : test::CliTest {};

TEST_F(Validation, ASharedItemNameIsRefusedAndItsGroupNamesEach) {
    socket("PIC18F452");
    auto r = run({"-p", "PIC18F452", "--no-waits", "--fuse", "ON 0200h-1FFFh=on", "write-fuses"});
    EXPECT_EQ(r.code, 2);
    for (const char* g : {"'Code Protect:ON 0200h-1FFFh'", "'Write Protect:ON 0200h-1FFFh'",
                          "'Read Protect:ON 0200h-1FFFh'"})
        EXPECT_NE(r.err.find(g), std::string::npos) << r.err;

    std::vector<std::array<uint8_t, 32>> fuses;
    for (const char* group : {"Code Protect", "Write Protect", "Read Protect"}) {
        socket("PIC18F452");
        r = run({"-p", "PIC18F452", "--no-waits", "--fuse", std::string(group) + ":ON 0200h-1FFFh=on",
                 "--fuse", "ID=0011223344556677", "write-fuses"});
        ASSERT_EQ(r.code, 0) << r.err;
        fuses.push_back(env.adapter.chip.fuses);
    }
    EXPECT_NE(fuses[0], fuses[1]); // three different bits
    EXPECT_NE(fuses[1], fuses[2]);
    EXPECT_NE(fuses[0], fuses[2]);

    r = run({"-p", "PIC18F452", "--help", "fuses"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("--fuse \"write protect:on 0200h-1fffh=on|off\"\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--fuse \"id=16 hex digits\"\n"), std::string::npos) << r.out;
}

TEST_F(Validation, ValuesAreTakenAsThePanelTakesThem) {
    socket("PIC16F84");
    const std::string huge(100000, '1');
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"--fuse", "ID=12345"}, 2, "--fuse ID: '12345' is not 4 hex digits"},
        {{"--fuse", "ID=12G4"}, 2, "is not 4 hex digits"},
        {{"--fuse", "ID=" + huge}, 2, "is not 4 hex digits"},
        {{"--fuse", "ID=12ab"}, 0, ""},
        {{"--config", "1234"}, 0, "warning: --config 1234 is programmed as "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back().substr(0, 12));
        std::vector<std::string> a{"-p", "PIC16F84", "--no-waits"};
        a.insert(a.end(), c.args.begin(), c.args.end());
        a.push_back("write-fuses");
        env.err.clear();
        EXPECT_EQ(cli::runCli(a, env), c.code) << env.err;
        EXPECT_NE(env.err.find(c.says), std::string::npos) << env.err;
        EXPECT_LT(env.err.size(), 400u); // a long value is not echoed whole
    }
    const auto r = run({"-p", "PIC16F84", "--no-waits", "--config", "1234", "write-fuses"});
    EXPECT_NE(r.err.find("its layout fixes the bits"), std::string::npos) << r.err;

    socket("AT89S8252");
    const auto l = run({"-p", "AT89S8252", "--no-waits", "--lock", "9", "lock"});
    EXPECT_EQ(l.code, 2);
    EXPECT_NE(l.err.find("--lock: '9' is not one of the lock list's items or its number"), std::string::npos)
        << l.err;
}

TEST_F(Validation, PortNamesAndWaitsAsTheWindowKnowsThem) {
    const auto r = run({"-p", "AT89C52", "-P", "COM5", "erase"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("-P COM5: the COM names are COM1 to COM4"), std::string::npos) << r.err;

    // A real port (here one that is no pseudo-terminal) keeps its waits.
    const auto c = test::runChild(KESTRO_CLI_PROGRAM, {"-p", "AT89C52", "-P", "/dev/null", "--no-waits", "erase"});
    EXPECT_EQ(c.status, 2);
    EXPECT_NE(c.err.find("--no-waits: only with --simulate or kestro-sim"), std::string::npos) << c.err;
}

} // namespace
} // namespace kestro
