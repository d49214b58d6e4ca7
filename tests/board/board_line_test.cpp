// kestro-board's line with a firmware of the test's own: bytes echoed at the wire's
// pace, and a firmware that stops reading for a while loses bytes to an overrun,
// which the board names and ends on with a failing status.

#include "link/port_path.h"
#include "support/child_process.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kestro {
namespace {

#ifdef KESTRO_SLOW_READER_ELF

std::string readFor(int fd, size_t n, int ms) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char buf[64];
        const ssize_t k = ::read(fd, buf, sizeof buf);
        if (k > 0) got.append(buf, static_cast<size_t>(k));
    }
    return got;
}

// kestro-board with the test's firmware on COM1, and the port opened raw.
struct LineBoard {
    test::Child board{
        KESTRO_BOARD_PROGRAM,
        {"--port", "COM1", "--chip", "24C02", "--trace", "--firmware", KESTRO_SLOW_READER_ELF}};
    int fd = -1;
    LineBoard() {
        const auto link = portLinkPath("COM1");
        for (int i = 0; i < 500 && !std::filesystem::exists(link); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    test::ChildResult stop() {
        ::close(fd);
        ::kill(board.pid(), SIGTERM);
        return board.finish();
    }
};

TEST(BoardLine, EchoesAtTheWiresPaceAndAnOverrunEndsTheBoardWithAFailure) {
    LineBoard line;
    const int fd = line.fd;
    ASSERT_GE(fd, 0);

    const std::string first = "\x01\x02\x03";
    ASSERT_EQ(::write(fd, first.data(), first.size()), 3);
    EXPECT_EQ(readFor(fd, 3, 2000), first);

    // 0xEE and ten more at once: the firmware looks again only after 10 ms, some 19
    // byte times. Two bytes wait in the FIFO; each start bit after that overwrites the
    // byte waiting in the shift register, so of the rest only the last is kept.
    const std::string burst = "\xEE"
                              "abcdefghij";
    ASSERT_EQ(::write(fd, burst.data(), burst.size()), static_cast<ssize_t>(burst.size()));
    EXPECT_EQ(readFor(fd, burst.size(), 1500), "\xEE"
                                               "abj");

    const auto r = line.stop();
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("OVERRUN: received byte"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("received bytes lost (receiver overrun)"), std::string::npos) << r.err;
}

TEST(BoardLine, AnI2cLineDrivenHighIsAFault) {
    LineBoard line;
    ASSERT_GE(line.fd, 0);
    ASSERT_EQ(::write(line.fd, "\xDD", 1), 1);
    EXPECT_EQ(readFor(line.fd, 1, 2000), "\xDD");
    const auto r = line.stop();
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("an I2C line is driven high"), std::string::npos) << r.err;
}

#endif

} // namespace
} // namespace kestro
