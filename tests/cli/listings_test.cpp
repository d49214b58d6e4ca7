// The parts and ports listings.

#include "cli_fixture.h"

#include "cli/listings.h"
#include "link/port_path.h"
#include "support/served_pty.h"
#include "support/test_config.h"

namespace kestro {
namespace {

TEST(Parts, PatternsMatchAsPeopleTypeThem) {
    const struct {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {{"AT89C52", "", true},       {"AT89C52", "89c5", true},   {"AT89C52", "AT89*", true},
                 {"AT89C52", "at89c5?", true}, {"AT89C52", "89*", false},   {"AT89C52", "C53", false},
                 {"W78(L)E51", "(l)", true},   {"PIC16F84", "pic16f8[4]", true}};
    for (const auto& c : cases) EXPECT_EQ(cli::partMatches(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
}

struct Listings : test::CliTest {};

TEST_F(Listings, PartsWithTheirSizesFamilyAndSocket) {
    auto r = run({"parts", "27C256"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "PART        PROGRAM  DATA     FAMILY         SOCKET\n"
                     "27C256      -        32768    27xxx / 87xxx  28 in 32\n");
    // With an adapter: whether it serves each (the reduced serial adapter withdraws some).
    r = run({"-P", "COM1", "parts", "AT89C5*"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("SERVED"), std::string::npos);
    EXPECT_NE(r.out.find("AT89C52     8192     -        AT89xxx        40 in 40              yes"),
              std::string::npos) << r.out;
    r = run({"parts", "NOTHING*"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
}

TEST_F(Listings, PortsNameTheirDevicesAndWhetherTheyMayBeOpened) {
    test::SilentPty pty;
    std::filesystem::create_directories(test::testConfigDir());
    std::filesystem::create_symlink(pty.path, portLinkPath("COM2"));
    std::filesystem::create_symlink("/dev/kestro-gone", portLinkPath("COM3"));
    // A machine with one USB adapter, as /sys and /dev show it.
    const std::string sys = dir / "sys", dev = dir / "dev";
    std::filesystem::create_directories(sys + "/ttyUSB0/device");
    std::filesystem::create_directories(sys + "/tty1"); // a console: no device behind it
    std::filesystem::create_directories(dev + "/serial/by-id");
    test::writeFile(dev + "/ttyUSB0", std::string());
    std::filesystem::create_symlink(dev + "/ttyUSB0", dev + "/serial/by-id/usb-Maker_Adapter-if00");

    const auto ports = cli::scanPorts({dev, sys});
    ASSERT_EQ(ports.size(), 6u);
    EXPECT_EQ(ports[1].name, "COM2");
    EXPECT_EQ(ports[1].device, pty.path);
    EXPECT_TRUE(ports[1].usable);
    EXPECT_EQ(ports[2].device, "/dev/kestro-gone (missing)");
    EXPECT_FALSE(ports[2].usable);
    EXPECT_EQ(ports[4].path, dev + "/serial/by-id/usb-Maker_Adapter-if00");
    EXPECT_EQ(ports[4].device, dev + "/ttyUSB0");
    EXPECT_EQ(ports[5].path, dev + "/ttyUSB0");
    EXPECT_EQ(ports[5].name, "");

    // The listing keeps its columns apart whatever the paths' lengths.
    const auto r = run({"ports"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("/dev/kestro-gone (missing)  no: "), std::string::npos) << r.out;
}

} // namespace
} // namespace kestro
