#pragma once
// The serial port on a Linux terminal device (termios).

#include "link/serial_port.h"

namespace kestro {

class Host;

class PosixSerialPort : public SerialPort {
public:
    explicit PosixSerialPort(Host& host) : host_(host) {}
    ~PosixSerialPort() override;
    OpenResult open(const std::string& portName) override;
    bool close() override;
    bool writeByte(uint8_t b) override;
    size_t read(uint8_t* buf, size_t n) override;

private:
    Host& host_;
    int fd_ = -1;
};

} // namespace kestro
