#include "link/link.h"

#include "devices/serial_parameters.h"
#include "devices/traits.h"

#include <cstdio>

namespace kestro {

namespace {

SerialAccess accessOf(Command command) {
    switch (command) {
    case Command::Erase: return SerialAccess::Erase;
    case Command::ReadData: return SerialAccess::ReadData;
    case Command::ProgramData: return SerialAccess::ProgramData;
    default: return SerialAccess::Other;
    }
}

// Bytes 12..15 for the device and command. Devices without serial parameters keep what
// the packet held before (the EPROM families rewrite only byte 12).
void applySerialParameters(LinkState& link, const SelectedDevice& dev, Command command) {
    auto& p = link.packet;
    const DeviceTraits& t = traitsOf(dev.index);
    if (t.sendsEpromClass) p[kPosSerialA] = dev.epromClass;
    if (!t.serialEeprom) return;
    const SerialParameters s = serialParameters(dev.index, accessOf(command));
    p[kPosSerialA] = s.a;
    p[kPosSerialB] = s.b;
    p[kPosSerialC] = s.c;
    p[kPosSerialD] = s.d;
}

} // namespace

const char* faultMessage(Fault f) {
    switch (f) {
    case Fault::EchoDiffered:
    case Fault::Communication:
    case Fault::ChipFailed: return "Communication Error !";
    case Fault::Interrupted: return "Operator Interrupt !";
    case Fault::Timeout: return "Serial Communication Timeout Error !";
    case Fault::Checksum: return "Checksum Error !";
    case Fault::Programming: return "Programming Error !";
    case Fault::Version: return "Incorrect PC Program Version !";
    case Fault::PortClose: return "COM Close Error !";
    default: return "";
    }
}

Fault faultOf(LinkResult r) {
    switch (r) {
    case kLinkOk: return Fault::None;
    case kLinkEchoDiffered: return Fault::EchoDiffered;
    case kLinkInterrupted: return Fault::Interrupted;
    case kLinkTimeout: return Fault::Timeout;
    }
    return Fault::Communication;
}

std::string hexBytes(const uint8_t* bytes, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        s += b;
    }
    return s;
}

uint8_t byteSum(std::span<const uint8_t> bytes) {
    uint8_t s = 0;
    for (uint8_t b : bytes) s = static_cast<uint8_t>(s + b);
    return s;
}

std::string openFailureText(const SerialPort::OpenResult& r, const std::string& portName) {
    // Built as a string: a port path of any length keeps the whole text.
    switch (r.status) {
    case SerialPort::OpenStatus::Ok: break;
    case SerialPort::OpenStatus::OpenFailed: return "Could Not Use the '" + portName + "' Serial Port!";
    case SerialPort::OpenStatus::GetStateFailed: return "GetCommState Error! (" + std::to_string(r.error) + ")";
    case SerialPort::OpenStatus::SetStateFailed: return "SetCommState Error! (" + std::to_string(r.error) + ")\n";
    }
    return {};
}

SerialPort::OpenResult Link::open(bool sameDevice) {
    if (st_.portOpen) return {};
    const SerialPort::OpenResult r = sameDevice ? port_.reopen() : port_.open(st_.portName);
    if (r.status == SerialPort::OpenStatus::Ok) st_.portOpen = true;
    return r;
}

bool Link::close() {
    if (!st_.portOpen) return true;
    if (!port_.close()) return false;
    st_.portOpen = false;
    return true;
}

bool Link::writeByte(uint8_t b) {
    if (!st_.portOpen) return false;
    return port_.writeByte(b);
}

size_t Link::write(std::span<const uint8_t> bytes) {
    if (!st_.portOpen) return 0;
    return port_.write(bytes.data(), bytes.size());
}

uint8_t Link::readByte() {
    uint8_t b = 0;
    if (st_.portOpen && port_.read(&b, 1) == 1) {
        st_.readStatus = kReadOk;
        return b;
    }
    st_.readStatus = kReadNothing;
    return 0;
}

LinkResult Link::readReply(uint8_t& out) {
    out = readByte();
    return st_.readStatus == kReadOk ? kLinkOk : kLinkTimeout;
}

size_t Link::readBlock(uint8_t* buf, size_t n) {
    if (!st_.portOpen) return 0;
    return port_.read(buf, n);
}

LinkResult Link::exchange(uint8_t b) {
    writeByte(b); // a failed write shows up as a missing echo
    const uint8_t echo = readByte();
    if (st_.readStatus == kReadNothing) return kLinkTimeout;
    return echo == b ? kLinkOk : kLinkEchoDiffered;
}

LinkResult Link::sendPacket(const SelectedDevice& dev, Command command, bool hardwareTest) {
    auto& p = st_.packet;
    if (!hardwareTest) applySerialParameters(st_, dev, command);
    p[kPosFamily] = code(dev.family);
    p[kPosDevice] = static_cast<uint8_t>(dev.index & 0xFF);
    p[kPosVoltage] = dev.voltage;
    p[kPosCommand] = static_cast<uint8_t>(command);
    p[kPosTerminator] = kPacketTerminator;
    for (uint8_t b : p)
        if (const LinkResult r = exchange(b); r != kLinkOk) return r;
    return kLinkOk;
}

} // namespace kestro
