#pragma once
// The serial port on a Linux terminal device (termios), also used on a pty.

#include "link/serial_port.h"

#include <string>
#include <termios.h>

namespace kestro {

class PosixSerialPort : public SerialPort {
public:
    PosixSerialPort() = default;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;
    ~PosixSerialPort() override;

    // Opens portDevicePath(portName) exclusively, 19200 8N1 raw, DTR up, RTS down.
    OpenResult open(const std::string& portName) override;
    OpenResult reopen() override;
    bool close() override;
    bool writeByte(uint8_t b) override;
    size_t write(const uint8_t* bytes, size_t n) override;
    size_t read(uint8_t* buf, size_t n) override;

private:
    OpenResult openDevice();

    int fd_ = -1;
    termios saved_{};
    bool lowLatencySet_ = false; // the open switched the driver's low latency on
    std::string device_; // what the last open() resolved the port name to
};

} // namespace kestro
