// Ctrl+C as a real SIGINT while an adapter trickles a block, one byte at a time, each
// within its own time-out: the first press waits for the block in hand, the second
// ends the program at once with the port as it was.

#include "buffers/file_test_support.h"
#include "link/port_path.h"
#include "link/protocol.h"
#include "sim/adapter_sim.h"
#include "support/child_process.h"
#include "support/served_pty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <deque>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>

namespace kestro {
namespace {

using Clock = std::chrono::steady_clock;

// The adapter double on a pty, answering at once until the program asks for the
// chip's program memory; from then on its answers come one byte every `gapMs`.
struct TricklingAdapter {
    AdapterSim adapter;
    test::SilentPty pty;
    const std::chrono::milliseconds gap;
    std::atomic<bool> stop{false};
    std::atomic<int> trickled{0};     // bytes handed out one at a time so far
    std::atomic<size_t> withheld{0};  // bytes answered that have not gone out yet
    std::thread thread;

    TricklingAdapter(const char* chip, int gapMs)
        : adapter(adapterConfig(AdapterKind::Full), SimChip::blank(*chipByName(chip))), gap(gapMs) {
        std::filesystem::create_directories(portLinkPath("COM1").parent_path());
        std::filesystem::create_symlink(pty.path, portLinkPath("COM1"));
        thread = std::thread([this] { serve(); });
    }
    ~TricklingAdapter() { halt(); }
    // Stops answering; what the adapter received may be looked at then.
    void halt() {
        stop = true;
        if (thread.joinable()) thread.join();
    }

    void serve() {
        const auto started = Clock::now();
        std::deque<uint8_t> out;
        auto due = started;
        bool trickling = false;
        while (!stop) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
                uint8_t buf[256];
                const ssize_t n = ::read(pty.master, buf, sizeof buf);
                const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
                for (ssize_t i = 0; i < n; ++i) adapter.receive(buf[i], static_cast<uint64_t>(now.count()));
                for (const auto& packet : adapter.packets)
                    trickling |= packet[kPosCommand] == static_cast<uint8_t>(Command::ReadProgram);
                out.insert(out.end(), adapter.output().begin(), adapter.output().end());
                adapter.output().clear();
            }
            while (!out.empty() && (!trickling || Clock::now() >= due)) {
                (void)!::write(pty.master, &out.front(), 1);
                out.pop_front();
                if (!trickling) continue;
                ++trickled;
                due = Clock::now() + gap;
                break;
            }
            withheld = out.size();
        }
    }

    // Until `count` bytes have trickled out: the program is inside the block.
    bool waitForTrickle(int count) {
        for (int i = 0; i < 2000 && trickled < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return trickled >= count;
    }
};

// Settings of the line as another program might have left them, distinct from 19200 8N1 raw.
termios foreignSettings(int fd) {
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfsetspeed(&t, B9600);
    t.c_cflag |= CSTOPB;
    t.c_iflag |= ICRNL;
    ::tcsetattr(fd, TCSANOW, &t);
    return t;
}

test::Child verify(const std::string& file) {
    return test::Child(KESTRO_CLI_PROGRAM, {"-P", "COM1", "-p", "AT89C52", "--no-waits", "verify", file},
                       {{"NO_COLOR", "1"}});
}

struct Trickle : ::testing::Test {
    test::TempDir dir;
    std::string file = dir / "fw.bin";
    void SetUp() override { test::writeFile(file, test::Bytes(8192, 0xFF)); }
};

TEST_F(Trickle, TheFirstCtrlCWaitsForTheBlockInHand) {
    TricklingAdapter sim("AT89C52", 10);
    test::Child c = verify(file);
    ASSERT_TRUE(sim.waitForTrickle(5));
    ::kill(c.pid(), SIGINT);
    const auto r = c.finish();
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_NE(r.err.find("Operator Interrupt"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Verify Chip Content With Buffer... interrupted at 000080h"), std::string::npos) << r.err;
    // The block came whole and no other was asked for.
    sim.halt();
    EXPECT_EQ(std::count(sim.adapter.received.begin(), sim.adapter.received.end(), kBlockRequest), 1);
}

TEST_F(Trickle, ASecondCtrlCEndsAtOnceWithThePortAsItWas) {
    TricklingAdapter sim("AT89C52", 200); // a block would take 26 s
    const termios before = foreignSettings(sim.pty.slave);
    test::Child c = verify(file);
    ASSERT_TRUE(sim.waitForTrickle(5));
    ::kill(c.pid(), SIGINT);
    ASSERT_TRUE(sim.waitForTrickle(7));
    ::kill(c.pid(), SIGINT);
    const auto r = c.finish();
    EXPECT_GT(sim.withheld, 100u); // ended while the block was still arriving
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.err.substr(r.err.rfind('\n', r.err.size() - 2) + 1),
              "kestro-cli: Verify Chip Content With Buffer... ended at once by a second Ctrl+C at 000000h\n");
    EXPECT_EQ(r.err.find("Verify Chip Content With Buffer... interrupted"), std::string::npos) << r.err;

    termios after{};
    ASSERT_EQ(::tcgetattr(sim.pty.slave, &after), 0);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    int exclusive = 1;
    ASSERT_EQ(::ioctl(sim.pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

} // namespace
} // namespace kestro
