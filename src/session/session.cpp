#include "session/session.h"

#include "devices/catalogue.h"
#include "link/handshake.h"

namespace kestro {

Session::Session(State& st, SerialPort& port, Reporter& report)
    : st_(st), link_(port, st.link), report_(report), ctx_(opContext(st, link_, report)) {}

bool Session::openPort() { return kestro::openPort(link_, report_); }

SerialPort::OpenResult Session::tryOpen() { return link_.open(); }

void Session::closePort() { kestro::closePort(link_, report_); }

void Session::reopenPort() { kestro::reopenPort(link_, report_); }

void Session::close() {
    if (link_.isOpen()) link_.close();
}

void Session::lookUp(int device) {
    st_.device.index = device;
    catalogueLookup(st_.device);
}

Fault Session::handshake() { return runHandshake(link_, st_.device, st_.adapter); }

bool Session::allowed(int device) const { return isAllowed(st_.adapter, device); }

int Session::firstAllowed() const {
    int i = 0;
    while (i < kUnknownDevice && !allowed(i)) ++i;
    return i;
}

void Session::select(int device) {
    st_.device.index = device;
    selectDeviceState(st_);
}

bool Session::offers(ProcessCommand command) const {
    return offered(st_.device.index, serialAdapter(), command);
}

std::optional<ProcessCommand> Session::programmingChain() const {
    return kestro::programmingChain(st_.device.index, serialAdapter());
}

void Session::run(ProcessCommand command) { runProcess(ctx_, command); }

bool Session::run(MemoryChain chain) { return runMemoryChain(ctx_, chain); }

bool Session::sendTestPattern(const std::array<uint8_t, 3>& ports, DriveBytes drive) {
    return kestro::sendTestPattern(ctx_, ports, drive);
}

void Session::releaseTestPattern() { kestro::releaseTestPattern(ctx_); }

} // namespace kestro
