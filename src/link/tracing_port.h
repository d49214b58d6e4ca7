#pragma once
// A port that tells every byte on the line, each way, and every open and close: for
// watching a conversation with the adapter as it happens.

#include "link/serial_port.h"

#include <functional>
#include <memory>
#include <string>

namespace kestro {

class TracingPort : public SerialPort {
public:
    // Each line ("> 5C", "< 5C 00", "open COM1") goes to `tell`.
    TracingPort(std::unique_ptr<SerialPort> inner, std::function<void(const std::string&)> tell);

    OpenResult open(const std::string& portName) override;
    OpenResult reopen() override;
    bool close() override;
    // Bytes written in one go are still told one by one, as they are echoed.
    bool writeByte(uint8_t b) override;
    size_t read(uint8_t* buf, size_t n) override;

private:
    std::unique_ptr<SerialPort> inner_;
    std::function<void(const std::string&)> tell_;
};

} // namespace kestro
