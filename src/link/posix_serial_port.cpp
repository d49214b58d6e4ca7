#include "link/posix_serial_port.h"

namespace kestro {

PosixSerialPort::~PosixSerialPort() = default;

SerialPort::OpenResult PosixSerialPort::open(const std::string&) {
    return {OpenStatus::OpenFailed, 0};
}
bool PosixSerialPort::close() { return true; }
bool PosixSerialPort::writeByte(uint8_t) { return false; }
size_t PosixSerialPort::read(uint8_t*, size_t) { return 0; }

} // namespace kestro
