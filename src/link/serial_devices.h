#pragma once
// The serial devices of this machine and the COMn links that name them: what the
// window's Setup > Serial Port > Device... and `kestro-cli ports` both list.

#include <filesystem>
#include <string>
#include <vector>

namespace kestro {

// Where the device files and the kernel's view of them are; tests point these at a
// tree of their own.
struct SerialRoots {
    std::filesystem::path dev = "/dev";
    std::filesystem::path sysTty = "/sys/class/tty";
};

struct SerialDevice {
    std::string path;        // what a COMn link would point to
    std::string device;      // the device file a by-id name leads to; empty for the others
    std::string description; // USB maker and product, when the kernel names them
};

// The stable names under dev/serial/by-id first (they survive re-plugging), then the
// ttyUSB*, ttyACM* and the ttyS* with a UART behind them, each group in name order.
std::vector<SerialDevice> listSerialDevices(const SerialRoots& roots = {});

// Where the link of COMn points now: its target as written, or empty when the port has
// no link (it then opens /dev/ttySn).
std::string portLinkTarget(const std::string& portName);

// Makes COMn a link to `device` in the config folder (creating the folder), replacing
// the link there in one step. A COMn there that is no link is left alone. Empty on
// success, else why not.
std::string bindPort(const std::string& portName, const std::string& device);

} // namespace kestro
