// What the line shows under -vv, and the advice for a port this user may not open.

#include "buffers/file_test_support.h"
#include "link/link.h"
#include "link/port_access.h"
#include "link/tracing_port.h"
#include "sim/sim_serial_port.h"
#include "support/null_port.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {
namespace {

// Each byte as it went, the echo as it came back, a read that got nothing with what
// it wanted, and an open that failed as failed: the bytes pass through untouched.
TEST(TracingPort, TellsTheLineAsItGoes) {
    VirtualClock clock;
    AdapterSim adapter;
    std::vector<std::string> lines;
    TracingPort port(std::make_unique<SimSerialPort>(clock, adapter),
                     [&](const std::string& line) { lines.push_back(line); });
    EXPECT_NE(port.open("/dev/ttyUSB9").status, SerialPort::OpenStatus::Ok);
    ASSERT_EQ(port.open("COM1").status, SerialPort::OpenStatus::Ok);
    ASSERT_TRUE(port.writeByte(0x5C));
    uint8_t got[2] = {};
    EXPECT_EQ(port.read(got, 2), 1u);
    EXPECT_EQ(got[0], 0x5C);
    EXPECT_EQ(port.read(got, 1), 0u);
    port.close();
    EXPECT_EQ(lines, (std::vector<std::string>{"open /dev/ttyUSB9 failed", "open COM1", "> 5C", "< 5C",
                                               "< nothing (1 wanted)", "close"}));
    EXPECT_EQ(adapter.received, (std::vector<uint8_t>{0x5C}));
}

// The group named is one that may use the device and is no privileged group; else the
// owner, the mode and the dialout group.
TEST(PortAccess, TheAdviceNamesOnlyAGroupThatMayUseThePort) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving files to groups needs root";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no dialout group";
    test::TempDir dir;
    const std::string mine = dir / "ttyS9", theirs = dir / "ttyUSB8";
    test::writeFile(mine, std::string());
    test::writeFile(theirs, std::string());
    ::chmod(mine.c_str(), 0600); // root:root
    ASSERT_EQ(::chown(theirs.c_str(), 0, dialout->gr_gid), 0);
    ::chmod(theirs.c_str(), 0660);
    const std::string a = permissionAdvice(mine, "nobody");
    EXPECT_NE(a.find("it belongs to root:root with mode -rw-------"), std::string::npos) << a;
    EXPECT_NE(a.find("sudo adduser nobody dialout"), std::string::npos) << a;
    EXPECT_EQ(a.find("adduser nobody root"), std::string::npos) << a;
    ::chmod(mine.c_str(), 0660); // root's group may, but nobody joins root
    EXPECT_EQ(permissionAdvice(mine, "nobody").find("Members of the group 'root'"), std::string::npos);
    EXPECT_NE(permissionAdvice(theirs, "nobody")
                  .find("Members of the group 'dialout' may; to become one (Debian): sudo adduser nobody dialout"),
              std::string::npos);
}

} // namespace
} // namespace kestro
