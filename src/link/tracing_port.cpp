#include "link/tracing_port.h"

#include "link/link.h"

namespace kestro {

TracingPort::TracingPort(std::unique_ptr<SerialPort> inner, std::function<void(const std::string&)> tell)
    : inner_(std::move(inner)), tell_(std::move(tell)) {}

SerialPort::OpenResult TracingPort::open(const std::string& portName) {
    const OpenResult r = inner_->open(portName);
    tell_("open " + portName + (r.status == OpenStatus::Ok ? "" : " failed"));
    return r;
}

SerialPort::OpenResult TracingPort::reopen() {
    const OpenResult r = inner_->reopen();
    tell_(r.status == OpenStatus::Ok ? "reopen" : "reopen failed");
    return r;
}

bool TracingPort::close() {
    tell_("close");
    return inner_->close();
}

bool TracingPort::writeByte(uint8_t b) {
    tell_("> " + hexBytes(&b, 1));
    return inner_->writeByte(b);
}

size_t TracingPort::read(uint8_t* buf, size_t n) {
    const size_t got = inner_->read(buf, n);
    tell_(got ? "< " + hexBytes(buf, got) : "< nothing (" + std::to_string(n) + " wanted)");
    return got;
}

} // namespace kestro
