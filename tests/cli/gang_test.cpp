// Gang production: four adapter doubles, each on a thread of its own with a virtual
// clock of its own, over one journal; and two kestro-cli processes sharing a journal.

#include "cli_fixture.h"

#include "cli/produce.h"
#include "support/child_process.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace kestro {
namespace {

const std::string kCli = KESTRO_CLI_PROGRAM;

// Time as each socket's thread sees it: the port's time-outs and the program's waits
// of one socket move its own clock only.
thread_local VirtualClock tClock;

// A port that reaches the adapter double named like the port it opens.
class GangPort : public SerialPort {
public:
    explicit GangPort(std::map<std::string, AdapterSim>& adapters) : adapters_(adapters) {}
    OpenResult open(const std::string& name) override {
        const auto it = adapters_.find(name);
        if (it == adapters_.end()) return {OpenStatus::OpenFailed, ENOENT};
        port_ = std::make_unique<SimSerialPort>(tClock, it->second, name);
        return port_->open(name);
    }
    OpenResult reopen() override { return port_->reopen(); }
    bool close() override { return !port_ || port_->close(); }
    bool writeByte(uint8_t b) override { return port_->writeByte(b); }
    size_t read(uint8_t* buf, size_t n) override { return port_->read(buf, n); }

private:
    std::map<std::string, AdapterSim>& adapters_;
    std::unique_ptr<SimSerialPort> port_;
};

struct GangEnv : test::FakeCliEnv {
    std::map<std::string, AdapterSim> adapters;
    uint64_t nowMs() override { return tClock.nowMs; }
    void sleepMs(int ms) override { tClock.advance(static_cast<uint64_t>(ms)); }
    int64_t wallClockSeconds() override { return 1'700'000'000; }
    int typingMs = 0; // real time before each line of stdin
    bool readLine(std::string& line) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(typingMs));
        return FakeCliEnv::readLine(line);
    }
    std::unique_ptr<SerialPort> makeSerialPort() override { return std::make_unique<GangPort>(adapters); }
};

constexpr uint32_t kSerialAt = 0x700;

struct Gang : ::testing::Test {
    GangEnv env;
    test::TempDir dir;
    std::map<std::string, std::vector<std::vector<uint8_t>>> programmed; // each chip's memory, per adapter
    std::mutex mutex;
    std::condition_variable arrived;
    std::map<int, int> started; // sockets that have begun programming their chip k
    bool lockstep = false;

    void SetUp() override {
        for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) {
            AdapterSim& a = env.adapters.emplace(port, AdapterSim()).first->second;
            a.chip = SimChip::blank(*chipByName("AT89C2051"));
            a.trace = [this, &a, port, chips = 0](const std::string& line) mutable {
                // In lockstep no socket begins its chip k+1 before every one has begun
                // chip k, so twelve chips are three on each.
                if (lockstep && line.starts_with("programmed block 1/16")) {
                    std::unique_lock lock(mutex);
                    const int k = ++chips;
                    ++started[k];
                    arrived.notify_all();
                    arrived.wait(lock, [&] { return started[k] == 4; });
                }
                // The chip as programmed: kept when its last block has gone in.
                if (line.starts_with("programmed block 16/16")) {
                    std::lock_guard lock(mutex);
                    if (onProgrammed) onProgrammed(port, a, chips);
                    programmed[port].push_back(a.chip.memory);
                }
            };
        }
    }
    std::function<void(const std::string&, AdapterSim&, int)> onProgrammed;

    std::vector<std::string> journalLines() {
        std::istringstream in(test::readFile(dir / "runs.csv"));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
};

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string x; std::getline(in, x, ',');) f.push_back(x);
    if (!line.empty() && line.back() == ',') f.push_back("");
    return f;
}

TEST_F(Gang, TwelveChipsOnFourAdaptersWithAFailedChipAndALostAdapter) {
    // COM2's second chip keeps a byte it was not given; COM3 hangs up during its third.
    lockstep = true;
    onProgrammed = [](const std::string& port, AdapterSim& a, int chip) {
        if (port == "COM2" && chip == 2) a.chip.memory[5] ^= 0x40;
    };
    AdapterSim& com3 = env.adapters.at("COM3");
    auto keep3 = com3.trace;
    com3.trace = [&com3, keep3, starts = 0](const std::string& line) mutable {
        keep3(line);
        if (line.starts_with("programmed block 8/16") && ++starts == 3)
            com3.faults.hangUpAtByte = static_cast<uint32_t>(com3.received.size()) + 1;
    };
    test::writeFile(dir / "fw.bin", test::pattern(2048, 8));
    const std::vector<std::string> args{"-p", "AT89C2051", "produce", dir / "fw.bin", "-P", "COM1", "-P", "COM2",
                                        "-P", "COM3", "-P", "COM4", "--count", "12", "--serial",
                                        "0x700:500:1:ascii", "--journal", dir / "runs.csv", "--json"};
    const int code = cli::runCli(args, env);

    EXPECT_EQ(code, 7) << env.err; // the worst: COM2's difference (7) over COM3's time-out (5)
    EXPECT_NE(env.err.find("COM3: kestro-cli: adapter lost (Serial Communication Timeout Error !): this socket stops"),
              std::string::npos) << env.err;
    EXPECT_NE(env.err.find("COM2: kestro-cli: NOT EQUAL!  Error: 000005h"), std::string::npos) << env.err;
    EXPECT_NE(env.err.find("COM3: 3 chips, 2 good, 1 failed"), std::string::npos) << env.err;
    EXPECT_NE(env.err.find("; adapter lost: Serial Communication Timeout Error !"), std::string::npos);
    EXPECT_NE(env.err.find("produced 12 chips on 4 adapters: 10 good, 2 failed"), std::string::npos) << env.err;

    const std::vector<std::string> lines = journalLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], cli::kJournalHeader);
    std::set<std::string> reserved;
    std::map<std::string, std::vector<std::vector<std::string>>> results; // per adapter, in order
    for (size_t i = 1; i < lines.size(); ++i) {
        const auto f = fields(lines[i]);
        ASSERT_EQ(f.size(), 6u) << "one whole record a line: " << lines[i];
        if (f[2] == "reserved") EXPECT_TRUE(reserved.insert(f[1]).second) << "serial " << f[1] << " twice";
        else results[f[5]].push_back(f);
    }
    EXPECT_EQ(reserved.size(), 12u);
    EXPECT_EQ(lines.size(), 1u + 24u);
    EXPECT_EQ(results["COM2"][1][2], "failed");
    EXPECT_EQ(results["COM2"][1][3], "7");
    EXPECT_EQ(results["COM3"].back()[3], "5");
    // Each chip as programmed carries the serial number its record names.
    for (const auto& [port, records] : results) {
        const auto& chips = programmed[port];
        for (size_t k = 0; k < records.size() && k < chips.size(); ++k) {
            const std::string serial(chips[k].begin() + kSerialAt, chips[k].begin() + kSerialAt + 8);
            EXPECT_EQ(std::stoul(serial), std::stoul(records[k][1])) << port << " chip " << k + 1;
        }
    }
    // The events carry the adapter; the result sums up each.
    EXPECT_NE(env.out.find("{\"adapter\":\"COM4\",\"event\":\"chip\""), std::string::npos);
    EXPECT_NE(env.out.find("\"adapter\":\"COM3\",\"chips\":3,\"exit_code\":5,\"lost\":true"), std::string::npos)
        << env.out;
}

TEST_F(Gang, EnterStartsAChipOnEveryIdleSocketAndQStops) {
    test::writeFile(dir / "fw.bin", test::pattern(2048, 8));
    env.input = {"", "", "q"};
    env.typingMs = 300; // an operator takes a while to put the chips in
    env.stderrTerminal = true;
    env.terminalColumns = 120;
    const std::vector<std::string> args{"-p", "AT89C2051", "produce", dir / "fw.bin", "-P", "COM1", "-P", "COM2",
                                        "--log", dir / "run.log"};
    EXPECT_EQ(cli::runCli(args, env), 0) << env.err;
    // Two Enters, both sockets idle each time: two chips on each.
    EXPECT_EQ(programmed["COM1"].size(), 2u);
    EXPECT_EQ(programmed["COM2"].size(), 2u);
    EXPECT_TRUE(programmed["COM3"].empty());
    // On a terminal a status line per socket, drawn anew below what is said.
    EXPECT_NE(env.err.find("COM2     2 chips, 0 failed  last: chip "), std::string::npos) << env.err;
    EXPECT_NE(env.err.find("100% Verify Chip Content With Buffer..."), std::string::npos) << env.err;
    EXPECT_NE(env.err.find("COM1     2 chips, 0 failed  last: chip "), std::string::npos) << env.err;
    EXPECT_NE(env.err.find("COM1: 2 chips, 2 good, 0 failed, exit 0"), std::string::npos) << env.err;
    // The log has every socket's lines, each with its adapter.
    const std::string log = test::readFile(dir / "run.log");
    EXPECT_NE(log.find("] COM2: chip "), std::string::npos) << log;
}

TEST_F(Gang, OnlyProduceTakesSeveralPortsAndSerialNumbersThenNeedAJournal) {
    std::vector<std::string> args{"-p", "AT89C2051", "-P", "COM1", "-P", "COM2", "identify"};
    EXPECT_EQ(cli::runCli(args, env), 2);
    EXPECT_NE(env.err.find("several ports are for produce"), std::string::npos) << env.err;
    args = {"-p", "AT89C2051", "-P", "COM1", "-P", "COM2", "produce", "fw.bin", "--serial", "0x700"};
    EXPECT_EQ(cli::runCli(args, env), 2);
    EXPECT_NE(env.err.find("--serial on several ports needs --journal"), std::string::npos) << env.err;
}

TEST(GangProcesses, TwoProduceRunsOnOneJournalNeverShareASerialNumber) {
    test::TempDir dir;
    test::writeFile(dir / "fw.bin", test::pattern(2048, 3));
    const auto args = [&](const char* chipCount) {
        return std::vector<std::string>{"--simulate=AT89C2051", "--no-waits", "produce", dir / "fw.bin", "--count",
                                        chipCount, "--serial", "0x700:1", "--journal", dir / "runs.csv"};
    };
    test::Child a(kCli, args("15"), {{"NO_COLOR", "1"}});
    test::Child b(kCli, args("15"), {{"NO_COLOR", "1"}});
    EXPECT_EQ(a.finish().status, 0);
    EXPECT_EQ(b.finish().status, 0);
    std::istringstream in(test::readFile(dir / "runs.csv"));
    std::set<std::string> reserved;
    int lines = 0;
    for (std::string l; std::getline(in, l); ++lines) {
        const auto f = fields(l);
        if (f.size() > 2 && f[2] == "reserved") {
            EXPECT_TRUE(reserved.insert(f[1]).second) << "serial " << f[1] << " twice";
        }
    }
    EXPECT_EQ(reserved.size(), 30u);
    EXPECT_EQ(lines, 61);
}

} // namespace
} // namespace kestro
