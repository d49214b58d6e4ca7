// The termios port against the adapter double on a real pseudo-terminal, in real time.

#include "link/port_path.h"
#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/served_pty.h"
#include "support/test_config.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>

namespace kestro {
namespace {

using namespace chips;

using Clock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;

struct Pty : ::testing::Test {
    test::FakeHost host; // the port keeps real time; the form never sleeps here
    PosixSerialPort port;
    TMyForm form{host, port};
    State& st = form.st;

    static double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
    static double cpuSeconds() {
        rusage u{};
        ::getrusage(RUSAGE_SELF, &u);
        return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
};

TEST_F(Pty, OpenSetsTheLineAndCloseRestoresIt) {
    test::Served sim(AdapterKind::Full);
    const int line = sim.pty.slaveFd();
    termios before{};
    ::tcgetattr(line, &before);
    ::cfsetspeed(&before, B9600); // what some other program left (a pty keeps 8 bits, no parity)
    before.c_cflag |= CSTOPB;
    before.c_iflag |= ICRNL;
    ::tcsetattr(line, TCSANOW, &before);

    serial_struct s{};
    ASSERT_NE(::ioctl(line, TIOCGSERIAL, &s), 0); // no low latency to ask for: no harm done
    form.startLink();
    ASSERT_EQ(st.link.portOpen, 1);
    ASSERT_EQ(form.link.exchange(0x5C), kLinkOk);
    termios t{};
    ::tcgetattr(line, &t);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);

    form.closePort();
    ::tcgetattr(line, &t);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_iflag & ICRNL);
}

TEST_F(Pty, SilentAdapterTimesOutAfterTheSingleByteBudget) {
    test::Served sim(AdapterKind::Full, {.silentFromByte = 1});
    form.startLink();
    const auto t0 = Clock::now();
    EXPECT_FALSE(form.handshake());
    const double waited = seconds(Clock::now() - t0);
    EXPECT_GE(waited, 2.52);
    EXPECT_LT(waited, 2.9);
    EXPECT_EQ(host.texts(), Texts{"Serial Communication Timeout Error !"});
}

TEST_F(Pty, ASecondOpenerIsRefused) {
    test::Served sim(AdapterKind::Full);
    PosixSerialPort first, second;
    ASSERT_EQ(first.open("COM1").status, SerialPort::OpenStatus::Ok);
    const auto r = second.open("COM1");
    EXPECT_EQ(r.status, SerialPort::OpenStatus::OpenFailed);
    // Root gets past TIOCEXCL but not the flock; anyone else is stopped by TIOCEXCL.
    EXPECT_TRUE(r.error == EWOULDBLOCK || r.error == EBUSY) << r.error;
    EXPECT_TRUE(first.close());
    EXPECT_EQ(second.open("COM1").status, SerialPort::OpenStatus::Ok);
}

TEST_F(Pty, PathsThatAreNoSerialPort) {
    const auto dir = test::testConfigDir();
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "COM2") << "not a terminal";
    std::filesystem::create_symlink(dir / "gone", dir / "COM3");
    st.settings.portIndex = 1;
    form.startLink();
    form.COM31Click(); // closed: remembered only
    form.openPort();   // as Initialisation does
    EXPECT_EQ(host.texts(),
              (Texts{"GetCommState Error! (25)", "Could Not Use the 'COM3' Serial Port!"}));
}

TEST_F(Pty, HandshakeThenHangUpWaitedOutAndInitialisationReopens) {
    {
        test::Served sim(AdapterKind::Full, {.hangUpAtByte = 19}); // the handshake's 17, then 2
        form.FormCreate();
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(st.ops.lastResult, 1);
        EXPECT_FALSE(form.model.menu("N17C2561").enabled);
        EXPECT_TRUE(form.model.menu("N27C2561").enabled);
        ASSERT_EQ(form.link.exchange(0x11), kLinkOk); // nothing left over on the line
        const double cpu0 = cpuSeconds();
        const auto t0 = Clock::now();
        EXPECT_EQ(form.link.exchange(0x22), kLinkTimeout); // the simulator has closed its side
        EXPECT_GE(seconds(Clock::now() - t0), 2.5);
        EXPECT_LT(cpuSeconds() - cpu0, 0.5); // waited, not spun
    }
    test::Served restarted(AdapterKind::Socket5);
    form.Initialisation1Click();
    EXPECT_TRUE(host.messages.empty()) << host.texts().front();
    EXPECT_EQ(st.link.portOpen, 1);
    EXPECT_EQ(st.adapter.socketVariant, 5); // the new simulator's handshake came through
}

TEST_F(Pty, RetriesAfterTheLinkWentAwayReachNoOtherDevice) {
    // What COM1 resolves to once the simulator's link is gone: /dev/ttyS0, another
    // simulator, a link the user changed. Stood in for by a pty of its own.
    test::SilentPty elsewhere;
    // A 27C256 has no signature: the read starts at once.
    test::Served sim(AdapterKind::Full, {.hangUpAtByte = 2 * kPacketSize + 3}, SimChip::blank(k27C256));
    test::writeSettingsFile("Serialport:COM1\nDevice:27C256\nVerify:Disabled\nDataProg:Disabled\n");
    form.FormCreate();
    ASSERT_TRUE(host.messages.empty());
    host.onPump = [&](int pump) {
        if (pump != 1) return;
        const auto link = portLinkPath("COM1");
        std::filesystem::remove(link);
        std::filesystem::create_symlink(elsewhere.path, link);
    };
    form.Read1Click(); // after the handshake and the read packet, the third block request
    const std::string gone = "Could Not Use the 'COM1' Serial Port!";
    EXPECT_EQ(host.texts(), (Texts{gone, gone, gone, gone, gone, "Communication Error !"}));
    EXPECT_EQ(elsewhere.received(), "");
    EXPECT_EQ(st.link.portOpen, 0);
}

// A press of Ctrl+C reaches a waiting read at once, once, and the read goes on: here the
// adapter answers only when the press has been handed on.
TEST(PtyInterrupts, AWaitingReadHandsAPressOnOnceAndGoesOn) {
    test::SilentPty line;
    std::filesystem::create_directories(portLinkPath("COM1").parent_path());
    std::filesystem::create_symlink(line.path, portLinkPath("COM1"));
    int wake[2];
    ASSERT_EQ(::pipe2(wake, O_NONBLOCK | O_CLOEXEC), 0);
    PosixSerialPort port;
    int presses = 0;
    port.watchInterrupts(wake[0], [&] {
        ++presses;
        (void)!::write(line.master, "\x5A", 1);
    });
    ASSERT_EQ(port.open("COM1").status, SerialPort::OpenStatus::Ok);
    // The adapter's answer comes late, after the press, or on its own.
    const auto later = [](int fd, const char* byte) {
        return std::thread([fd, byte] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            (void)!::write(fd, byte, 1);
        });
    };
    uint8_t b = 0;
    std::thread press = later(wake[1], "");
    EXPECT_EQ(port.read(&b, 1), 1u);
    press.join();
    EXPECT_EQ(b, 0x5A);
    std::thread answer = later(line.master, "\xA5");
    EXPECT_EQ(port.read(&b, 1), 1u);
    answer.join();
    EXPECT_EQ(b, 0xA5);
    EXPECT_EQ(presses, 1); // the press was taken from the pipe
    port.close();
    ::close(wake[0]);
    ::close(wake[1]);
}

} // namespace
} // namespace kestro
