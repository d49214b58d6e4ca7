// kestro-cli as a program: against kestro-sim on a pty, and with its own simulator;
// Ctrl+C as a real SIGINT; the manual page and the completion kept in step with the
// option table.

#include "cli_fixture.h"

#include "cli/docs_gen.h"
#include "link/port_path.h"
#include "sim/sim_chip.h"
#include "support/child_process.h"
#include "support/json_value.h"
#include "support/test_config.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace kestro {
namespace {

using test::Bytes;
using test::runChild;

const std::string kCli = KESTRO_CLI_PROGRAM;
const std::string kSim = KESTRO_SIM_PROGRAM;

struct CliProgram : test::CliTest {
    test::ChildResult cli(const std::vector<std::string>& args, const std::string& input = {}) {
        return runChild(kCli, args, {{"NO_COLOR", "1"}}, input);
    }
};

// kestro-sim on COM1 of the test's config folder, for as long as the object lives.
struct SimOnPty {
    test::Child sim;
    explicit SimOnPty(std::vector<std::string> args) : sim(kSim, (args.insert(args.begin(), {"--port", "COM1"}), args)) {
        const auto link = portLinkPath("COM1");
        for (int i = 0; i < 100 && !std::filesystem::is_symlink(link); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << "kestro-sim did not start";
    }
    ~SimOnPty() { ::kill(sim.pid(), SIGTERM); }
};

TEST_F(CliProgram, AWholeJobAgainstKestroSimOnAPty) {
    SimOnPty sim({"--chip", "AT89C52", "--memory", "pattern"});
    test::writeFile(path("fw.bin"), test::pattern(8192, 11));
    auto r = cli({"-P", "COM1", "-p", "at89c52", "--no-waits", "identify", "read", path("before.bin"), "erase",
                  "write", path("fw.bin"), "verify", "lock"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint8_t> expected(8192);
    fillPattern(expected);
    EXPECT_EQ(test::readBytes(path("before.bin")), expected);
    EXPECT_NE(r.err.find("Device: AT89C52"), std::string::npos);
    EXPECT_NE(r.err.find("Chip Content EQUAL With Buffer."), std::string::npos);
    EXPECT_EQ(r.out, "");

    // The port of the settings file when none is given.
    test::writeSettingsFile("Serialport:COM1\nDevice:AT89C52\nVerify:Enabled\nDataProg:Disabled\n");
    r = cli({"-p", "AT89C52", "--no-waits", "verify", path("fw.bin")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readSettingsFile(),
              "Serialport:COM1\nDevice:AT89C52\nVerify:Enabled\nDataProg:Disabled\n"); // never written
}

TEST_F(CliProgram, ExitCodesAsAScriptSeesThem) {
    test::writeFile(path("ones.bin"), Bytes(64, 1));
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--simulate", "--no-waits", "write", path("ones.bin"), "verify"}, 0},
        {{"--simulate", "flash"}, 2},
        {{"--simulate", "write", path("missing.bin")}, 3},
        {{"-P", "/dev/kestro-no-such-tty", "-p", "27C256", "read", path("x.bin")}, 4},
        {{"--simulate", "--simulate-fault", "wrong-echo-from=1", "identify"}, 5},
        {{"--simulate=AT89C52", "-p", "AT89C51", "--no-waits", "identify"}, 6},
        {{"--simulate", "--no-waits", "verify", path("ones.bin")}, 7},
        {{"--simulate=27C64", "--no-waits", "write", path("ones.bin"), "blank-check"}, 8},
        {{"--simulate=27C64", "--simulate-fault", "status-167", "--no-waits", "write", path("ones.bin")}, 9},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << "\n" << r.err;
    }
    EXPECT_EQ(cli({"--help", "exit-codes"}).out, cli::exitCodesText());
}

TEST_F(CliProgram, JsonLinesOfASimulatedJob) {
    test::writeFile(path("fw.bin"), test::pattern(2048, 2));
    const auto r = cli({"--simulate=PIC16F84", "--json", "--no-waits", "program", path("fw.bin"), "read",
                        path("back.hex")});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = test::parseJsonLines(r.out);
    ASSERT_TRUE(lines) << r.out;
    const test::JsonValue& result = lines->back();
    EXPECT_EQ(result["event"].string, "result");
    EXPECT_EQ(result["part"].string, "PIC16F84");
    EXPECT_EQ(result["steps"].array.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(path("back.hex")));
}

TEST_F(CliProgram, CtrlCInTheMiddleOfAReadEndsItLikeCancel) {
    test::Child c(kCli, {"--simulate", "-p", "27C256", "--simulate-paced", "--no-waits", "read", path("x.bin")},
                  {{"NO_COLOR", "1"}});
    ASSERT_TRUE(c.waitForErr([](const std::string& e) { return e.find("Reading Chip...") != std::string::npos; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a few blocks in
    ::kill(c.pid(), SIGINT);
    const auto r = c.finish();
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_NE(r.err.find("Operator Interrupt"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Reading Chip... interrupted"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("x.bin")));
}

TEST_F(CliProgram, ASecondCtrlCDuringAFixedWaitEndsAtOnce) {
    test::Child c(kCli, {"--simulate", "-p", "AT89C52", "--window-timing", "erase"}, {{"NO_COLOR", "1"}});
    // With the window's timing, after "Device:" the program waits 1200 ms before it erases.
    ASSERT_TRUE(c.waitForErr([](const std::string& e) { return e.find("Device: AT89C52") != std::string::npos; }));
    ::kill(c.pid(), SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(c.pid(), SIGINT);
    const auto r = c.finish();
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.err.find("Erase Chip..."), std::string::npos) << r.err;
}

TEST_F(CliProgram, ProduceThreeChipsWithTheirSerialsInTheJournal) {
    test::writeFile(path("fw.bin"), test::pattern(2048, 4));
    const auto r = cli({"--simulate=AT89C2051", "--no-waits", "produce", path("fw.bin"), "--count", "3",
                        "--serial", "0x7F8:1000:1:ascii", "--journal", path("runs.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("produced 3 chips: 3 good, 0 failed, serials 1000 to 1002"), std::string::npos) << r.err;
    const std::string journal = test::readFile(path("runs.csv"));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 7);
    EXPECT_NE(journal.find(",1002,good,0,"), std::string::npos) << journal;
}

// The files the package installs are what the option table says now.
TEST(Docs, ManualPageCompletionAndSchemaAreUpToDate) {
    const std::string root = KESTRO_SOURCE_DIR;
    EXPECT_EQ(test::readFile(root + "/docs/man/kestro-cli.1"), cli::manPage())
        << "run: kestro-cli --help man > docs/man/kestro-cli.1";
    EXPECT_EQ(test::readFile(root + "/docs/completion/kestro-cli"), cli::bashCompletion())
        << "run: kestro-cli --help completion > docs/completion/kestro-cli";
    EXPECT_EQ(test::readFile(root + "/docs/cli-json.txt"), cli::jsonSchemaText())
        << "run: kestro-cli --help json > docs/cli-json.txt";
    for (const char* page : {"kestro.1", "kestro-sim.1.in"}) // the latter filled from its --help
        EXPECT_TRUE(std::filesystem::exists(root + "/docs/man/" + page)) << page;
}

TEST(Docs, BashCompletesStepsOptionsAndParts) {
    const std::string script = std::string(KESTRO_SOURCE_DIR) + "/docs/completion/kestro-cli";
    const auto complete = [&](const std::string& words, int cword) {
        const std::string cmd = "source '" + script + "'; COMP_WORDS=(" + words + "); COMP_CWORD=" +
                                std::to_string(cword) + "; _kestro_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
        return runChild("/bin/bash", {"-c", cmd}).out;
    };
    EXPECT_EQ(complete("kestro-cli -p at89c5", 2), "\n"); // nothing: names are upper case
    EXPECT_EQ(complete("kestro-cli -p AT89C5", 2), "AT89C51\nAT89C51RC\nAT89C52\nAT89C55\nAT89C55WD\n");
    EXPECT_EQ(complete("kestro-cli --progress j", 2), "json\n");
    EXPECT_EQ(complete("kestro-cli --simulate = 27C2", 3), "27C256\n27C2001\n27C210\n"); // --simulate=27C2
    EXPECT_EQ(complete("kestro-cli blank", 1), "blank-check\n");
    EXPECT_EQ(complete("kestro-cli --simulate blank", 2), "blank-check\n"); // its value only after '='
    EXPECT_EQ(complete("kestro-cli --no-v", 1), "--no-verify\n");
}

} // namespace
} // namespace kestro
