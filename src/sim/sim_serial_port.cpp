#include "sim/sim_serial_port.h"

#include "link/port_path.h"
#include "link/protocol.h"

#include <algorithm>
#include <cerrno>

namespace kestro {

SimSerialPort::SimSerialPort(VirtualClock& clock, AdapterSim& adapter, std::string adapterPort)
    : clock_(clock), adapter_(adapter), adapterPort_(std::move(adapterPort)) {}

SerialPort::OpenResult SimSerialPort::open(const std::string& portName) {
    last_ = portName;
    return openAs("open ");
}

SerialPort::OpenResult SimSerialPort::reopen() { return openAs("reopen "); }

SerialPort::OpenResult SimSerialPort::openAs(const std::string& verb) {
    if (!open_.empty()) close();
    OpenResult r;
    if (auto it = unusable.find(last_); it != unusable.end())
        r = it->second;
    else if (portIndexOfName(last_) < 0)
        r = {OpenStatus::OpenFailed, ENOENT};
    log.push_back(verb + last_ + (r.status == OpenStatus::Ok ? "" : " failed"));
    if (r.status != OpenStatus::Ok) return r;
    open_ = last_;
    if (attached()) adapter_.output().clear(); // the input flush of a real open
    return r;
}

bool SimSerialPort::close() {
    log.push_back("close " + open_);
    if (failClose) return false;
    open_.clear();
    return true;
}

bool SimSerialPort::writeByte(uint8_t b) {
    if (open_.empty()) return false;
    if (!attached()) return true; // out on a line with nothing at the other end
    if (adapter_.hungUp()) return false;
    adapter_.receive(b, clock_.nowMs);
    return true;
}

size_t SimSerialPort::read(uint8_t* buf, size_t n) {
    if (open_.empty()) return 0;
    std::deque<uint8_t>* q = attached() && !adapter_.hungUp() ? &adapter_.output() : nullptr;
    const size_t got = q ? std::min(n, q->size()) : 0;
    if (got > 0) {
        std::copy_n(q->begin(), got, buf);
        q->erase(q->begin(), q->begin() + static_cast<std::ptrdiff_t>(got));
    }
    // Short: the interval time-out ended it; nothing: the whole budget went by.
    if (got == 0)
        clock_.advance(static_cast<uint64_t>(readBudgetMs(n)));
    else if (got < n)
        clock_.advance(kReadIntervalMs);
    return got;
}

} // namespace kestro
