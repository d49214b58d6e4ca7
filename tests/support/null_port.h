#pragma once
// A serial port with nothing attached: every open fails.

#include "link/serial_port.h"

namespace kestro::test {

class NullPort : public SerialPort {
public:
    OpenResult open(const std::string&) override {
        ++opens;
        return {OpenStatus::OpenFailed, 2};
    }
    OpenResult reopen() override { return open({}); }
    bool close() override { return true; }
    bool writeByte(uint8_t) override { return false; }
    size_t read(uint8_t*, size_t) override { return 0; }
    int opens = 0;
};

} // namespace kestro::test
