#pragma once
// The serial port on a Linux terminal device (termios), also used on a pty.

#include "link/serial_port.h"

#include <functional>
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

    // `fd` turns readable when the user interrupts (a pipe a signal handler writes to).
    // Every wait for the adapter watches it too, so a press is handed to `onInterrupt`
    // at once, however quiet the line; the byte is drained first. `onInterrupt` may end
    // the program; when it returns, the wait goes on to its time-out.
    void watchInterrupts(int fd, std::function<void()> onInterrupt);

private:
    OpenResult openDevice();
    // Waits up to `ms` for `events` on the port, or only for the time when `events` is
    // 0: the port's revents, 0 when the time ran out, -1 when a signal or an
    // interrupt came first (wait again for the time left).
    int wait(short events, int ms);

    int interruptFd_ = -1;
    std::function<void()> onInterrupt_;
    int fd_ = -1;
    termios saved_{};
    bool lowLatencySet_ = false; // the open switched the driver's low latency on
    std::string device_; // what the last open() resolved the port name to
};

} // namespace kestro
