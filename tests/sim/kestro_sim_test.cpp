// The kestro-sim program itself: what it leaves behind with --save-chip however it
// ends, and that the files hold what the program wrote through the port.

#include "link/port_path.h"
#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kestro {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes counting(size_t n, uint8_t step) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * step + 1);
    return v;
}

// Starts kestro-sim with its output silenced; -1 when it could not be started.
pid_t spawnSim(std::vector<std::string> args) {
    args.insert(args.begin(), KESTRO_SIM_PROGRAM);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, KESTRO_SIM_PROGRAM, &quiet, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
}

// The exit status of a finished child (128 + the signal that ended it).
int exitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// kestro-sim on COM1 of the test's config folder, saving its chip beside it.
struct SimProcess {
    fs::path prefix = test::testConfigDir().parent_path() / "chip";
    pid_t pid = -1;

    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "COM1", "--save-chip", prefix.string()});
        pid = spawnSim(args);
        // The link appears once the pty is served.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (pid > 0 && !fs::is_symlink(portLinkPath("COM1")) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~SimProcess() {
        if (pid > 0) end(SIGKILL);
    }
    bool started() const { return pid > 0 && fs::is_symlink(portLinkPath("COM1")); }
    // Sends the signal (none: it ends by itself) and returns the exit status.
    int end(int signal) {
        if (signal) ::kill(pid, signal);
        const int status = exitStatus(pid);
        pid = -1;
        return status;
    }
    Bytes file(const char* ext) const { return readFile(prefix.string() + ext); }
};

constexpr int kSigNone = 0;

TEST(KestroSim, SavesTheChipHoweverItEnds) {
    const fs::path memory = test::testConfigDir().parent_path() / "memory.bin";
    const fs::path data = test::testConfigDir().parent_path() / "data.bin";
    writeFile(memory, counting(2048, 3));
    writeFile(data, counting(64, 5));
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, kSigNone}) {
        SCOPED_TRACE(signal);
        std::vector<std::string> args{"--chip",        "PIC16F84", "--memory",
                                      memory.string(), "--data",   data.string()};
        if (signal == kSigNone) args.insert(args.end(), {"--hang-up-at", "1"});
        SimProcess sim(args);
        ASSERT_TRUE(sim.started());
        fs::remove(sim.prefix.string() + ".mem"); // written at start: only the exit's copy counts
        if (signal == kSigNone) { // a byte on the line: the adapter drops it and quits
            const int fd = ::open(portLinkPath("COM1").c_str(), O_RDWR | O_NOCTTY);
            ASSERT_GE(fd, 0);
            const uint8_t b = 0;
            EXPECT_EQ(::write(fd, &b, 1), 1);
            EXPECT_EQ(sim.end(kSigNone), 0);
            ::close(fd);
        } else {
            EXPECT_EQ(sim.end(signal), 0);
        }
        EXPECT_EQ(sim.file(".mem"), readFile(memory));
        EXPECT_EQ(sim.file(".data"), readFile(data));
        EXPECT_EQ(sim.file(".fuses"), Bytes(4, 0xFF));
        EXPECT_EQ(sim.file(".lock"), Bytes{0});
        EXPECT_FALSE(fs::exists(portLinkPath("COM1"))); // the link went with it
    }
}

TEST(KestroSim, SavedFilesFollowTheChipsShape) {
    struct Case {
        const char* chip;
        size_t memory;
        bool data;
        size_t fuses;
    };
    for (const Case& c : {Case{"27C256", 32768, false, 4}, Case{"PIC18F452", 32768, true, 32},
                          Case{"AT89S8252", 8192, true, 4}}) {
        SCOPED_TRACE(c.chip);
        SimProcess sim({"--chip", c.chip});
        ASSERT_TRUE(sim.started());
        EXPECT_EQ(sim.end(SIGTERM), 0);
        EXPECT_EQ(sim.file(".mem"), Bytes(c.memory, 0xFF));
        EXPECT_EQ(fs::exists(sim.prefix.string() + ".data"), c.data);
        EXPECT_EQ(sim.file(".fuses").size(), c.fuses);
        fs::remove(sim.prefix.string() + ".data");
    }
}

TEST(KestroSim, PrefixThatCannotBeWrittenFailsAtStart) {
    const std::string prefix =
        (test::testConfigDir().parent_path() / "no-such-folder" / "chip").string();
    const pid_t pid = spawnSim({"--save-chip", prefix});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(exitStatus(pid), 2);
    EXPECT_FALSE(fs::exists(portLinkPath("COM1")));
}

// The program writes program memory, data EEPROM, configuration word and ID through the
// termios port; the files the simulator leaves hold exactly that.
TEST(KestroSim, SavedChipHoldsWhatWasProgrammed) {
    SimProcess sim({"--chip", "PIC16F84"});
    ASSERT_TRUE(sim.started());
    test::writeSettingsFile("Serialport:COM1\nDevice:PIC16F84\nVerify:Enabled\nDataProg:Enabled\n");
    test::FakeHost host;
    PosixSerialPort port;
    TMyForm form{host, port};
    form.FormCreate();
    ASSERT_TRUE(host.messages.empty());
    Images& img = form.st.images;
    for (size_t i = 0; i < 2048; ++i)
        img.program[i] = static_cast<uint8_t>(i % 2 ? i * 3 : (i * 3) & 0x3F);
    for (size_t i = 0; i < 64; ++i)
        img.data[i] = static_cast<uint8_t>(0xC0 + i);
    img.configBlock[0] = 0xF1;
    img.configBlock[1] = 0x3F;
    form.SetFuse(2);
    form.model.control("Edit1").caption = "1234";
    form.Program1Click();
    EXPECT_TRUE(host.texts().empty()) << host.texts().front();
    EXPECT_EQ(form.st.ops.lastResult, 1);
    form.FormClose();

    EXPECT_EQ(sim.end(SIGTERM), 0);
    EXPECT_EQ(sim.file(".mem"), Bytes(img.program.begin(), img.program.begin() + 2048));
    EXPECT_EQ(sim.file(".data"), Bytes(img.data.begin(), img.data.begin() + 64));
    EXPECT_EQ(sim.file(".fuses"), (Bytes{0xF1, 0x3F, 0x12, 0x34}));
    EXPECT_EQ(sim.file(".lock"), Bytes{0});
}

} // namespace
} // namespace kestro
