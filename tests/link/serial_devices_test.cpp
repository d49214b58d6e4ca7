// The serial devices of a machine, read from a /dev and /sys tree of the test's own,
// and the COMn links that bind a port to one of them.

#include "link/port_path.h"
#include "link/serial_devices.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A machine with an FTDI cable, a CDC board, one real UART and one ttyS without
// hardware, laid out as the kernel shows them.
struct FakeMachine : ::testing::Test {
    fs::path root;
    SerialRoots roots;
    void SetUp() override {
        char tmpl[] = "/tmp/kestro-serial-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        roots = {root / "dev", root / "sys/class/tty"};
        const fs::path usb = root / "sys/devices/usb1/1-1", acm = root / "sys/devices/usb1/1-2";
        write(usb / "manufacturer", "FTDI\n");
        write(usb / "product", "FT232R USB UART\n");
        fs::create_directories(usb / "1-1:1.0/ttyUSB0");
        write(acm / "manufacturer", "Arduino (www.arduino.cc)\n");
        write(acm / "product", "Uno\n");
        fs::create_directories(acm / "1-2:1.0");
        fs::create_directories(root / "sys/devices/platform/serial8250");
        fs::create_directories(roots.sysTty);
        for (const char* tty : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "tty1"})
            fs::create_directories(roots.sysTty / tty);
        fs::create_directory_symlink(usb / "1-1:1.0/ttyUSB0", roots.sysTty / "ttyUSB0/device");
        fs::create_directory_symlink(acm / "1-2:1.0", roots.sysTty / "ttyACM0/device");
        write(roots.sysTty / "ttyS0/type", "4\n");
        write(roots.sysTty / "ttyS1/type", "0\n"); // no UART behind it
        for (const char* dev : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1", "tty1"}) write(roots.dev / dev, "");
        fs::create_directories(roots.dev / "serial/by-id");
        fs::create_symlink("../../ttyUSB0", roots.dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
    }
    void TearDown() override { fs::remove_all(root); }
};

TEST_F(FakeMachine, StableNamesFirstThenUsbAcmAndRealUartsWithTheirMakers) {
    const auto devices = listSerialDevices(roots);
    std::vector<std::string> paths, descriptions;
    for (const auto& d : devices) {
        paths.push_back(fs::path(d.path).lexically_relative(root).string());
        descriptions.push_back(d.description);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0",
                                               "dev/ttyUSB0", "dev/ttyACM0", "dev/ttyS0"}));
    EXPECT_EQ(descriptions, (std::vector<std::string>{"FTDI FT232R USB UART", "FTDI FT232R USB UART",
                                                      "Arduino (www.arduino.cc) Uno", ""}));
    EXPECT_EQ(devices[0].device, (roots.dev / "ttyUSB0").string());
    EXPECT_EQ(devices[1].device, "");

    fs::remove_all(roots.dev / "serial");
    fs::remove(roots.dev / "ttyACM0"); // unplugged: /sys may still show it a moment
    EXPECT_EQ(listSerialDevices(roots).size(), 2u);
}

TEST_F(FakeMachine, BindingReplacesTheLinkAndLeavesOtherFilesAlone) {
    fs::remove_all(test::testConfigDir());
    EXPECT_EQ(portLinkTarget("COM2"), "");
    EXPECT_EQ(bindPort("COM2", "/dev/ttyUSB0"), ""); // the folder is made
    EXPECT_EQ(portLinkTarget("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(portDevicePath("COM2"), portLinkPath("COM2"));
    EXPECT_EQ(bindPort("COM2", "/dev/ttyACM0"), "");
    EXPECT_EQ(portLinkTarget("COM2"), "/dev/ttyACM0");
    EXPECT_FALSE(fs::exists(portLinkPath("COM2").string() + ".new"));

    write(portLinkPath("COM3"), "not a link");
    EXPECT_NE(bindPort("COM3", "/dev/ttyUSB0").find("is no link"), std::string::npos);
    EXPECT_FALSE(fs::is_symlink(portLinkPath("COM3")));
    EXPECT_NE(bindPort("COM5", "/dev/ttyUSB0"), "");
    fs::remove_all(test::testConfigDir());
}

} // namespace
} // namespace kestro
