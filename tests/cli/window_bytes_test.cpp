// The command line sends the window's bytes: the same handshake, the same packets and
// blocks, in the same order, for the same job.

#include "cli_fixture.h"

#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/test_config.h"

namespace kestro {
namespace {

using test::Bytes;

struct Trace {
    std::vector<uint8_t> received;
    std::vector<std::string> lines; // the simulator's readable trace
};

// The window: started with settings that select the part, the file opened, then the
// Process menu item clicked.
Trace window(const char* part, const std::string& file, bool verify, const std::string& handler) {
    test::writeSettingsFile(std::string("Serialport:COM1\nDevice:") + part + "\nVerify:" +
                            (verify ? "Enabled" : "Disabled") + "\nDataProg:Disabled\n");
    test::FakeHost host;
    AdapterSim adapter(adapterConfig(AdapterKind::Full), SimChip::blank(*chipByName(part)));
    Trace t;
    adapter.trace = [&](const std::string& line) { t.lines.push_back(line); };
    SimSerialPort port(host.clock, adapter);
    TMyForm form(host, port);
    form.FormCreate();
    host.openAnswers.push_back(file);
    form.Open1Click();
    form.clickHandler(handler);
    EXPECT_TRUE(host.texts().empty()) << host.texts().front();
    t.received = adapter.received;
    return t;
}

Trace commandLine(const char* part, std::vector<std::string> args) {
    test::FakeCliEnv env;
    env.adapter.chip = SimChip::blank(*chipByName(part));
    Trace t;
    env.adapter.trace = [&](const std::string& line) { t.lines.push_back(line); };
    args.insert(args.begin(), {"-p", part});
    EXPECT_EQ(cli::runCli(args, env), 0) << env.err;
    t.received = env.adapter.received;
    return t;
}

struct WindowBytes : test::CliTest {};

TEST_F(WindowBytes, ProgramWithVerifyIsProgram1ClickByteForByte) {
    const std::string fw = path("fw.hex");
    test::writeFile(fw, test::hexFile({test::record(0, 0x0000, test::pattern(16, 1)),
                                       test::record(0, 0x0400, test::pattern(16, 2)),
                                       test::record(0, 0x1FF0, test::pattern(16, 3))}));
    const Trace w = window("AT89C52", fw, true, "Program1Click");
    const Trace c = commandLine("AT89C52", {"program", fw, "--verify"});
    EXPECT_GT(w.received.size(), 8192u); // the blocks went out, and were read back
    EXPECT_EQ(c.received, w.received);
    EXPECT_EQ(c.lines, w.lines);
}

TEST_F(WindowBytes, TheChainsSpeltOutAreTheMenusChains) {
    const std::string fw = path("fw.bin");
    test::writeFile(fw, test::pattern(1024, 7));
    test::writeFile(path("fw.fus"), Bytes{0xDA, 0x5F}); // the ATtiny12's fuse pair beside it
    const struct {
        const char* part;
        const char* handler;
        bool verify;
        std::vector<std::string> steps;
    } cases[] = {
        // A part with fuses, given beside the file: the chain programs them after the memory.
        {"ATTINY12", "Program1Click", false, {"program", fw, "--no-verify"}},
        {"AT89C52", "EraseProgram1Click", true, {"erase", "write", fw, "verify"}},
        {"AT89C52", "EraseProgramSecurity1Click", false, {"erase", "write", fw, "lock"}},
        {"27C256", "Read1Click", false, {"read", path("out.bin")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.handler + std::string(" ") + c.part);
        const Trace w = window(c.part, fw, c.verify, c.handler);
        const Trace l = commandLine(c.part, c.steps);
        EXPECT_EQ(l.received, w.received);
        EXPECT_EQ(l.lines, w.lines);
    }
}

// A part whose menu programs only as Erase+Program: kestro-cli's program is that chain.
TEST_F(WindowBytes, ProgramOfAPartWithoutProgramIsEraseProgram1Click) {
    const std::string fw = path("fw.hex");
    test::writeFile(fw, test::hexFile({test::record(0, 0x0000, test::pattern(16, 1)),
                                       test::record(0, 0x0700, test::pattern(16, 2)),
                                       test::record(0, 0x400E, {0xD4, 0x31})}));
    const Trace w = window("PIC12F675", fw, false, "EraseProgram1Click");
    const Trace c = commandLine("PIC12F675", {"program", fw, "--no-verify"});
    EXPECT_EQ(c.received, w.received);
    EXPECT_EQ(c.lines, w.lines);
    EXPECT_NE(std::find(c.lines.begin(), c.lines.end(), "chip erased"), c.lines.end());
}

} // namespace
} // namespace kestro
