#pragma once
// A serial port in the same process as the adapter double, on a virtual clock: a read
// that times out moves the clock by its whole budget and returns at once.

#include "link/serial_port.h"
#include "sim/adapter_sim.h"
#include "sim/virtual_clock.h"

#include <map>
#include <string>
#include <vector>

namespace kestro {

class SimSerialPort : public SerialPort {
public:
    // The adapter hangs on `adapterPort`; the other COM ports open with nothing attached.
    SimSerialPort(VirtualClock& clock, AdapterSim& adapter, std::string adapterPort = "COM1");

    OpenResult open(const std::string& portName) override;
    OpenResult reopen() override; // the port last named to open()
    bool close() override;
    bool writeByte(uint8_t b) override;
    size_t read(uint8_t* buf, size_t n) override;

    // Ports whose open fails, and how (absent, held elsewhere, not a terminal...).
    // Names other than COM1..COM4 always fail as absent.
    std::map<std::string, OpenResult> unusable;
    bool failClose = false;
    // "open COM1", "open COM2 failed", "reopen COM1", "close COM1", in order.
    std::vector<std::string> log;
    const std::string& openName() const { return open_; } // empty when closed

private:
    OpenResult openAs(const std::string& verb);
    bool attached() const { return !open_.empty() && open_ == adapterPort_; }

    VirtualClock& clock_;
    AdapterSim& adapter_;
    std::string adapterPort_;
    std::string open_;
    std::string last_; // the name the last open() was given
};

} // namespace kestro
