// The simulator on a real pty, as a program holding and leaving the port meets it.

#include "link/posix_serial_port.h"
#include "support/served_pty.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>

namespace kestro {
namespace {

TEST(PtyAdapter, ExclusiveModeLeftByAKilledProgramIsCleared) {
    PosixSerialPort port;
    test::Served sim(AdapterKind::Full);
    const auto exclusive = [&] {
        int on = 0;
        ::ioctl(sim.pty.slaveFd(), TIOCGEXCL, &on);
        return on != 0;
    };
    ASSERT_EQ(port.open("COM1").status, SerialPort::OpenStatus::Ok);
    sim.pty.clearStaleExclusive();
    EXPECT_TRUE(exclusive()); // the port is in use: left alone
    port.close();
    EXPECT_FALSE(exclusive()); // a program that closes the port clears it itself

    // What a killed program leaves: the kernel closes its descriptor, nothing else.
    const int fd = ::open(portLinkPath("COM1").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_TRUE(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(fd, TIOCEXCL) == 0);
    ::close(fd);
    for (int tick = 0; tick < 500 && exclusive(); ++tick) // the simulator looks when idle
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(exclusive());
}

} // namespace
} // namespace kestro
