// Every step of kestro-cli against the adapter double, and every exit code with the
// words it comes with.

#include "cli_fixture.h"

#include "link/posix_serial_port.h"
#include "link/protocol.h"
#include "support/unprivileged.h"

#include <sys/stat.h>

#include <numeric>

namespace kestro {
namespace {

using test::Bytes;
using test::readFile;
using test::writeFile;

struct Steps : test::CliTest {
    // Fills the chip's memory with a pattern that differs from block to block.
    void pattern() {
        auto& m = env.adapter.chip.memory;
        for (size_t i = 0; i < m.size(); ++i) m[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    }
    int packets(Command c) const {
        int n = 0;
        for (const auto& p : env.adapter.packets) n += p[kPosCommand] == static_cast<uint8_t>(c);
        return n;
    }
    Bytes image(size_t size, uint8_t seed) {
        Bytes b(size);
        std::iota(b.begin(), b.end(), seed);
        return b;
    }
};

TEST_F(Steps, ReadSavesWhatTheChipHolds) {
    socket("27C256");
    pattern();
    const auto r = run({"-p", "27c256", "--no-waits", "read", path("chip.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string saved = readFile(path("chip.bin"));
    EXPECT_EQ(Bytes(saved.begin(), saved.end()), env.adapter.chip.memory);
    EXPECT_NE(r.err.find("Reading Chip... done (32768 bytes"), std::string::npos) << r.err;
}

TEST_F(Steps, ASideFileThatCannotBeWrittenFailsTheReadAndKeepsTheOldSet) {
    socket("ATMEGA8515");
    pattern();
    test::writeFile(path("avr.bin"), std::string("old image"));
    test::writeFile(path("avr.fus"), std::string("ab"));
    std::filesystem::create_directory(path("avr.eep")); // no file can take its place
    const auto r = run({"-p", "ATMEGA8515", "--no-waits", "read", path("avr.bin")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Can't Save File! (" + path("avr.eep") + ": Is a directory)"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(path("avr.bin")), "old image");
    EXPECT_EQ(readFile(path("avr.fus")), "ab");
}

TEST_F(Steps, WriteThenVerifyPutsTheFileInTheChip) {
    socket("27C256");
    writeFile(path("fw.bin"), image(1000, 3)); // shorter than the chip: the rest stays erased
    const auto r = run({"-p", "27C256", "--no-waits", "write", path("fw.bin"), "verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    Bytes expected(32768, 0xFF);
    const Bytes fw = image(1000, 3);
    std::copy(fw.begin(), fw.end(), expected.begin());
    EXPECT_EQ(env.adapter.chip.memory, expected);
    EXPECT_EQ(packets(Command::ProgramData), 1); // a single-memory chip is its data memory
    EXPECT_NE(r.err.find("Chip Content EQUAL With Buffer."), std::string::npos);
}

TEST_F(Steps, ChipCommandsReachTheChip) {
    socket("AT89C52");
    env.adapter.chip.memory[5] = 0x12;
    ASSERT_EQ(run({"-p", "AT89C52", "--no-waits", "identify", "erase", "lock"}).code, 0) << env.err;
    EXPECT_EQ(env.adapter.chip.memory[5], 0xFF);
    EXPECT_EQ(env.adapter.chip.lockByte, 7); // no level chosen: the strongest
    EXPECT_NE(env.err.find("Device: AT89C52"), std::string::npos);

    socket("27C256");
    EXPECT_EQ(run({"-p", "27C256", "--no-waits", "blank-check"}).code, 0) << env.err;
    EXPECT_NE(env.err.find("EPROM is Empty."), std::string::npos);
}

TEST_F(Steps, FusesAreReadPrintedAndWrittenBack) {
    socket("ATTINY12");
    env.adapter.chip.fuses[0] = 0x5A;
    env.adapter.chip.fuses[1] = 0xA5;
    auto r = run({"-p", "ATTINY12", "--no-waits", "read-fuses", path("f.fus")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "fuses: configuration 5A A5, id FF FF\n");
    EXPECT_EQ(readFile(path("f.fus")), "\xA5\x5A"); // as a .fus side file holds them

    env.adapter.chip.fuses[0] = 0;
    r = run({"-p", "ATTINY12", "--no-waits", "read-fuses", "write-fuses"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramFuse), 1);
}

TEST_F(Steps, FuseSettingsByTheNamesThePanelShows) {
    // A lock level chosen by its item text (any case) instead of the strongest.
    socket("AT89C52");
    ASSERT_EQ(run({"-p", "AT89C52", "--no-waits", "--lock", "program DISABLE", "lock"}).code, 0) << env.err;
    EXPECT_EQ(env.adapter.chip.lockByte, 1);

    // A check box and the ID of a PIC, through the layout's read-back.
    socket("PIC16F84");
    ASSERT_EQ(run({"-p", "PIC16F84", "--no-waits", "--fuse", "Watchdog timer enable=off", "write-fuses"}).code,
              0)
        << env.err;
    const auto off = env.adapter.chip.fuses;
    ASSERT_EQ(run({"-p", "PIC16F84", "--no-waits", "--fuse", "watchdog timer enable=on", "--fuse", "ID=BEEF",
                   "write-fuses"})
                  .code,
              0)
        << env.err;
    const auto on = env.adapter.chip.fuses;
    EXPECT_EQ((on[0] ^ off[0]) | ((on[1] ^ off[1]) << 8), 1 << 2); // the watchdog bit alone
    EXPECT_EQ(on[2], 0xBE);
    EXPECT_EQ(on[3], 0xEF);

    // The configuration word as the panel shows it, high byte first.
    ASSERT_EQ(run({"-p", "PIC16F84", "--no-waits", "--config", "3FF1", "write-fuses"}).code, 0) << env.err;
    EXPECT_EQ(env.adapter.chip.fuses[0], 0xF1);
    EXPECT_EQ(env.adapter.chip.fuses[1], 0x3F);
}

TEST_F(Steps, HwtestDrivesThePinsUntilEnter) {
    socket("AT89C52");
    env.input = {""};
    const auto r = run({"-p", "AT89C52", "--no-waits", "--ports", "P0.1,p2.7", "--vpp", "12v@1", "--vce", "6V",
                        "hwtest"});
    ASSERT_EQ(r.code, 0) << r.err;
    // Socket variant 4: vpp 1 -> A 0x60; pin 1 -> B 0x85; vce 1 -> C 0x06.
    EXPECT_EQ((std::vector<uint8_t>(env.adapter.pins.begin(), env.adapter.pins.end())),
              (std::vector<uint8_t>{0x02, 0x00, 0x80, 0x60, 0x85, 0x06}));
    EXPECT_NE(r.err.find("VPP 12V on IC32/pin 3, VCE 6V"), std::string::npos) << r.err;
    EXPECT_FALSE(env.adapter.hardwareTestOn); // released after Enter
    EXPECT_EQ(env.adapter.received.back(), kStopByte);

    EXPECT_EQ(run({"-p", "AT89C52", "--vpp", "30V", "hwtest"}).code, 2);
    EXPECT_EQ(run({"-p", "AT89C52", "--ports", "P3.1", "hwtest"}).code, 2);
}

TEST_F(Steps, ProgramRunsTheWindowsChain) {
    socket("27C256");
    writeFile(path("fw.bin"), image(256, 9));
    auto r = run({"-p", "27C256", "--no-waits", "program", path("fw.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramData), 1);
    EXPECT_EQ(packets(Command::ReadData), 1); // verify after program, the default

    env.adapter.packets.clear();
    r = run({"-p", "27C256", "--no-waits", "--no-verify", "program", path("fw.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ReadData), 0);
}

TEST_F(Steps, RangeLimitsTheTransferAndIsCheckedAsTheMarkerPanelChecks) {
    socket("24C02");
    pattern();
    auto r = run({"-p", "24C02", "--no-waits", "--json", "--range", "000010:00008F", "read", path("w.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"bytes\":128"), std::string::npos) << r.out;
    const std::string saved = readFile(path("w.bin"));
    ASSERT_EQ(saved.size(), 256u);
    EXPECT_EQ(static_cast<uint8_t>(saved[0x0F]), 0xFF); // outside the window: not read
    EXPECT_EQ(static_cast<uint8_t>(saved[0x10]), env.adapter.chip.memory[0x10]);
    EXPECT_EQ(static_cast<uint8_t>(saved[0x8F]), env.adapter.chip.memory[0x8F]);
    EXPECT_EQ(static_cast<uint8_t>(saved[0x90]), 0xFF);

    const struct {
        const char* range;
        const char* message;
    } refused[] = {{"000100:0001FF", "Not Available Address Range !"},
                   {"10:8F", "Not Available Address Range !"},
                   {"000010:000008", "Start Address > End Address !"}};
    for (const auto& c : refused) {
        r = run({"-p", "24C02", "--range", c.range, "read", path("w.bin")});
        EXPECT_EQ(r.code, 2) << c.range;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST_F(Steps, DataMemoryAndLog) {
    socket("ATTINY12");
    auto& data = env.adapter.chip.data;
    std::iota(data.begin(), data.end(), 100);
    auto r = run({"-p", "ATTINY12", "--no-waits", "--data", "--log", path("run.log"), "read", path("eeprom.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::readBytes(path("eeprom.bin")), data);
    const std::string log = readFile(path("run.log"));
    EXPECT_NE(log.find("] Reading Chip... done (128 bytes"), std::string::npos) << log; // one padded block
    r = run({"-p", "27C256", "--data", "read", path("x.bin")});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--data: the 27C256 has no data memory beside its program memory"), std::string::npos);

    // A log kept elsewhere through a link goes on; a link to anything else is refused.
    std::filesystem::create_symlink(path("run.log"), path("linked.log"));
    r = run({"-p", "ATTINY12", "--no-waits", "--log", path("linked.log"), "identify"});
    EXPECT_GT(readFile(path("run.log")).size(), log.size()) << r.err;
    test::writeFile(path("notes.txt"), std::string("my notes\n"));
    std::filesystem::create_symlink(path("notes.txt"), path("stray.log"));
    r = run({"-p", "ATTINY12", "--no-waits", "--log", path("stray.log"), "identify"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("stray.log: a link to a file that is no log"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(path("notes.txt")), "my notes\n");
}

// What each failure exits with, and what it says.
struct ExitCase {
    const char* name;
    std::vector<std::string> args; // {file} stands for a file in the scratch folder
    std::function<void(test::FakeCliEnv&, const test::TempDir&)> arrange;
    int code;
    const char* says;
};

TEST_F(Steps, EveryFailureHasItsExitCode) {
    const auto chip = [](const char* name) {
        return [name](test::FakeCliEnv& e, const test::TempDir&) { e.adapter.chip = SimChip::blank(*chipByName(name)); };
    };
    const auto with = [](const char* name, std::function<void(test::FakeCliEnv&, const test::TempDir&)> more) {
        return [name, more](test::FakeCliEnv& e, const test::TempDir& d) {
            e.adapter.chip = SimChip::blank(*chipByName(name));
            more(e, d);
        };
    };
    const ExitCase cases[] = {
        {"unknown part", {"-p", "AT89C5X", "identify"}, chip("AT89C52"), 2,
         "no part named 'AT89C5X'; the closest: AT89C51 AT89C52 AT89C55"},
        {"step not offered", {"-p", "27C256", "read-fuses"}, chip("27C256"), 2,
         "read-fuses: the 27C256 offers no Read Fuse"},
        {"range on a microcontroller", {"-p", "AT89C52", "--range", "000000:0000FF", "read", "{file}"},
         chip("AT89C52"), 2, "--range: ranges apply to memory chips, not to microcontrollers such as the AT89C52"},
        {"unknown fuse name", {"-p", "ATTINY12", "--fuse", "CKSEL=1", "write-fuses"}, chip("ATTINY12"), 2,
         "--fuse: no setting 'CKSEL'; the ATTINY12 has:"},
        {"bad fuse value", {"-p", "PIC16F84", "--fuse", "watchdog timer enable=maybe", "write-fuses"},
         chip("PIC16F84"), 2, "--fuse watchdog timer enable: 'maybe' is not on or off"},
        {"no lock list", {"-p", "PIC16F84", "--lock", "1", "write-fuses"}, chip("PIC16F84"), 2,
         "--lock: the PIC16F84 has no lock list"},
        {"bad simulator fault", {"--simulate", "--simulate-fault", "melt=1", "identify"}, chip("none"), 2,
         "--simulate-fault: no fault named 'melt'"},
        {"simulated socket holds an unknown chip", {"--simulate=any", "-p", "AT89C52", "identify"}, chip("none"),
         6, "Unknown Device."},
        {"missing file", {"-p", "27C256", "write", "{dir}/missing.bin"}, chip("27C256"), 3,
         "Can't Open File! ("},
        {"malformed hex", {"-p", "27C256", "write", "{dir}/bad.hex"},
         with("27C256", [](auto&, const test::TempDir& d) { writeFile(d / "bad.hex", std::string("x\n")); }), 3,
         "Incorrect file !\nExpected ':'"},
        {"unwritable output", {"-p", "27C256", "read", "/proc/kestro/none.bin"}, chip("27C256"), 3,
         "Can't Save File! (/proc/kestro/none.bin"},
        {"no such port", {"-P", "/dev/kestro-no-such-tty", "-p", "27C256", "read", "{file}"}, chip("27C256"), 4,
         "Could Not Use the '/dev/kestro-no-such-tty' Serial Port! (/dev/kestro-no-such-tty: "},
        {"silent adapter", {"-p", "27C256", "read", "{file}"},
         with("27C256", [](test::FakeCliEnv& e, auto&) { e.adapter.faults.silentFromByte = 1; }), 5,
         "Serial Communication Timeout Error !"},
        {"adapter gone mid-read", {"-p", "27C256", "read", "{file}"},
         with("27C256", [](test::FakeCliEnv& e, auto&) { e.adapter.faults.silentFromByte = 200; }), 5,
         "Communication Error !"},
        {"another chip of the family", {"-p", "AT89C51", "read", "{file}"}, chip("AT89C52"), 6,
         "the chip in the socket is AT89C52, not the part AT89C51"},
        {"unknown chip declined", {"-p", "AT89C52", "--no", "read", "{file}"}, chip("any"), 6,
         "Unknown Device: Continue the Process Y/N - no"},
        {"unknown chip at identify", {"-p", "AT89C52", "identify"}, chip("any"), 6, "Unknown Device."},
        {"verify differs", {"-p", "27C256", "verify", "{dir}/ones.bin"},
         with("27C256", [](auto&, const test::TempDir& d) { writeFile(d / "ones.bin", Bytes(300, 0x01)); }), 7,
         "NOT EQUAL!  Error: 000000h\n  address 000000h: file 01, chip FF"},
        {"not blank", {"-p", "27C256", "blank-check"},
         with("27C256", [](test::FakeCliEnv& e, auto&) { e.adapter.chip.memory[0x85] = 0x7F; }), 8,
         "EPROM is NOT Empty! 000085h = 7Fh\n  address 000085h: 7F"},
        {"chip failed to program", {"-p", "27C256", "write", "{dir}/ones.bin"},
         with("27C256", [](test::FakeCliEnv& e, const test::TempDir& d) {
             e.adapter.faults.blockStatus = kBlockFailed;
             writeFile(d / "ones.bin", Bytes(300, 0x01));
         }),
         9, "the chip failed to program a block (block status 167)"},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        env.adapter = AdapterSim();
        c.arrange(env, dir);
        std::vector<std::string> args{"--no-waits"};
        for (std::string a : c.args) {
            if (a == "{file}") a = path("out.bin");
            if (a.rfind("{dir}", 0) == 0) a = dir.path + a.substr(5);
            args.push_back(a);
        }
        env.out.clear();
        env.err.clear();
        EXPECT_EQ(cli::runCli(args, env), c.code);
        EXPECT_NE(env.err.find(c.says), std::string::npos) << env.err;
    }
}

TEST_F(Steps, YesGoesOnWithAnUnknownChip) {
    socket("any");
    const auto r = run({"-p", "AT89C52", "--no-waits", "--yes", "read", path("x.bin")});
    EXPECT_EQ(r.code, 0) << r.err;
    // On a terminal the question is asked.
    env.stdinTerminal = true;
    env.input = {"y"};
    EXPECT_EQ(run({"-p", "AT89C52", "--no-waits", "read", path("x.bin")}).code, 0);
    EXPECT_NE(env.err.find("Unknown Device: Continue the Process Y/N [y/N] "), std::string::npos);
    env.input = {""};
    EXPECT_EQ(run({"-p", "AT89C52", "--no-waits", "read", path("x.bin")}).code, 6);
}

TEST_F(Steps, AChainStopsAtItsFirstFailure) {
    socket("AT89C52");
    writeFile(path("a.bin"), Bytes(100, 0x11));
    writeFile(path("b.bin"), Bytes(100, 0x22));
    const auto r = run({"-p", "AT89C52", "--no-waits", "write", path("a.bin"), "verify", path("b.bin"), "lock"});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(packets(Command::ProgramSecurity), 0);
    EXPECT_EQ(env.adapter.chip.lockByte, 0);
}

TEST_F(Steps, CtrlCEndsAReadAfterTheBlockInHand) {
    socket("27C256");
    int blocks = 0;
    env.adapter.trace = [&](const std::string& line) {
        if (line.rfind("sent block", 0) == 0 && ++blocks == 5) env.ctrlC = 1;
    };
    const auto r = run({"-p", "27C256", "--no-waits", "read", path("x.bin"), "blank-check"});
    EXPECT_EQ(r.code, 130);
    EXPECT_EQ(blocks, 5); // no block requested after the one in hand
    EXPECT_NE(r.err.find("Operator Interrupt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("x.bin")));
    EXPECT_EQ(env.exitedWith, -1);
}

TEST_F(Steps, ASecondCtrlCDuringAWaitEndsAtOnceWithThePortRestored) {
    socket("27C256");
    env.adapter.trace = [&](const std::string& line) {
        if (line.rfind("sent block", 0) == 0) env.ctrlC = 2;
    };
    run({"-p", "27C256", "read", path("x.bin")}); // real waits, on the virtual clock
    EXPECT_EQ(env.exitedWith, 130);
}

TEST_F(Steps, DiffReadsTheChipBackAndNamesTheDifferences) {
    socket("27C256");
    Bytes fw(32768, 0xFF);
    fw[0x10] = fw[0x11] = fw[0x12] = 0x00;
    fw[0x4000] = 0x00;
    writeFile(path("fw.bin"), fw);
    const auto r = run({"-p", "27C256", "--no-waits", "verify", path("fw.bin"), "--diff", path("chip.bin")});
    EXPECT_EQ(r.code, 7);
    EXPECT_NE(r.out.find("diff: 4 bytes differ in 2 ranges"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  000010h - 000012h\n  004000h - 004000h\n"), std::string::npos) << r.out;
    const std::string chip = readFile(path("chip.bin"));
    EXPECT_EQ(Bytes(chip.begin(), chip.end()), env.adapter.chip.memory);
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

// A port this user may not open: the system's reason, one retry a second later, and
// the command that gives access.
struct PortPermission : test::CliTest {};

TEST_F(PortPermission, RefusedPortNamesTheCommandThatGivesAccess) {
    const auto user = test::Unprivileged::find();
    if (!user) GTEST_SKIP() << "no ordinary user to become";
    const std::string device = path("ttyUSB9");
    test::writeFile(device, std::string());
    ::chmod(dir.path.c_str(), 0755);
    ::chmod(device.c_str(), 0600);
    if (::geteuid() != 0 && ::access(device.c_str(), W_OK) == 0) GTEST_SKIP() << "the file stays writable";
    struct RealPorts : test::FakeCliEnv {
        std::unique_ptr<SerialPort> makeSerialPort() override { return std::make_unique<PosixSerialPort>(); }
    };
    const auto report = user->run([&](std::string& out) {
        RealPorts env;
        const std::vector<std::string> args{"-P", device, "-p", "27C256", "read", "/tmp/x.bin"};
        const int code = cli::runCli(args, env);
        if (code != 4) out += "exit " + std::to_string(code) + "\n";
        if (env.clock.nowMs < 1000) out += "no retry a second later\n";
        for (const char* says : {"Could Not Use the '", "Permission denied", "sudo adduser ",
                                 " dialout, then log out and in again", "with mode -rw-------"})
            if (env.err.find(says) == std::string::npos) out += std::string("missing: ") + says + "\n";
        if (!out.empty()) out += env.err;
    });
    if (!report) GTEST_SKIP() << "could not become an ordinary user";
    EXPECT_EQ(*report, "");
}

} // namespace
} // namespace kestro
