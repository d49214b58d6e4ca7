#include "link/posix_serial_port.h"

#include "link/port_path.h"
#include "link/protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kestro {

namespace {

using Clock = std::chrono::steady_clock;

// Gives up a descriptor whose open sequence failed part-way. TIOCEXCL would outlive
// the close while the other side of a pty stays open, so it is cleared first.
SerialPort::OpenResult abandon(int fd, SerialPort::OpenStatus status) {
    const int error = errno;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return {status, error};
}

// USB-serial bridges hold received bytes up to their latency timer (16 ms on common
// ones) before passing them on, and every echoed byte of the protocol would wait for
// it. Low latency passes them on at once. True when this open switched it on; ptys
// and drivers without the setting refuse, and the port works as it is.
bool askLowLatency(int fd) {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0 || (s.flags & ASYNC_LOW_LATENCY)) return false;
    s.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &s) == 0;
}

void dropLowLatency(int fd) {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return;
    s.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &s);
}

// Whole milliseconds to wait for `deadline`, rounded up so a poll never spins on 0.
int msUntil(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

} // namespace

PosixSerialPort::~PosixSerialPort() {
    if (fd_ >= 0) close();
}

SerialPort::OpenResult PosixSerialPort::open(const std::string& portName) {
    if (fd_ >= 0) close();
    // The device behind a link, not the link: a retry must find the same device even
    // when the link is removed or pointed elsewhere meanwhile.
    const std::filesystem::path path = portDevicePath(portName);
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(path, ec);
    device_ = ec ? path.string() : device.string();
    return openDevice();
}

SerialPort::OpenResult PosixSerialPort::reopen() {
    if (fd_ >= 0) close();
    if (device_.empty()) return {OpenStatus::OpenFailed, ENOENT};
    return openDevice();
}

SerialPort::OpenResult PosixSerialPort::openDevice() {
    const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {OpenStatus::OpenFailed, errno};
    // Reads wait in poll(); the descriptor itself blocks, and VMIN/VTIME 0 make read()
    // return what is there.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Exclusive use: TIOCEXCL keeps other (non-root) openers out, flock also root.
    // A file that is no terminal refuses TIOCEXCL; tcgetattr reports that below.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return abandon(fd, OpenStatus::OpenFailed);
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY)
        return abandon(fd, OpenStatus::OpenFailed);

    termios t{};
    if (::tcgetattr(fd, &t) != 0) return abandon(fd, OpenStatus::GetStateFailed);
    saved_ = t;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B19200);
    ::cfsetospeed(&t, B19200);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return abandon(fd, OpenStatus::SetStateFailed);

    // DTR up, then RTS down. A pty has no modem lines and answers ENOTTY: nothing to do.
    int bits = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &bits);
    bits = TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &bits);
    // Whatever waited on the line before the open is not an answer to us (a pty keeps
    // unread bytes across a close and reopen).
    ::tcflush(fd, TCIFLUSH);
    lowLatencySet_ = askLowLatency(fd);
    fd_ = fd;
    return {OpenStatus::Ok, 0};
}

bool PosixSerialPort::close() {
    if (fd_ < 0) return true;
    ::tcsetattr(fd_, TCSANOW, &saved_); // a dead line may refuse it; closing goes on
    if (lowLatencySet_) dropLowLatency(fd_); // as it was before the open
    lowLatencySet_ = false;
    ::ioctl(fd_, TIOCNXCL);
    const int r = ::close(fd_);
    fd_ = -1; // Linux releases the descriptor even when close() reports an error
    return r == 0;
}

void PosixSerialPort::watchInterrupts(int fd, std::function<void()> onInterrupt) {
    interruptFd_ = fd;
    onInterrupt_ = std::move(onInterrupt);
}

int PosixSerialPort::wait(short events, int ms) {
    pollfd p[2] = {{events ? fd_ : -1, events, 0}, {interruptFd_, POLLIN, 0}};
    const int r = ::poll(p, interruptFd_ >= 0 ? 2 : 1, ms);
    if (r < 0) return errno == EINTR ? -1 : 0;
    if (p[1].revents & POLLIN) {
        uint8_t drain[16];
        while (::read(interruptFd_, drain, sizeof drain) > 0) {
        }
        if (onInterrupt_) onInterrupt_();
        return -1;
    }
    return r > 0 ? p[0].revents : 0;
}

bool PosixSerialPort::writeByte(uint8_t b) {
    if (fd_ < 0) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTotalMs);
    int r;
    do r = wait(POLLOUT, msUntil(deadline));
    while (r < 0);
    if (!(r & POLLOUT)) return false;
    ssize_t k;
    do k = ::write(fd_, &b, 1);
    while (k < 0 && errno == EINTR);
    return k == 1;
}

size_t PosixSerialPort::write(const uint8_t* bytes, size_t n) {
    if (fd_ < 0) return 0;
    // As writeByte, with the write time-out of n bytes: 250 ms and 1 ms a byte in all.
    // Room for a block is there once the driver's output buffer is writable again.
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(kWriteTotalMs - 1 + static_cast<int>(n));
    size_t done = 0;
    while (done < n) {
        const int r = wait(POLLOUT, msUntil(deadline));
        if (r < 0) continue;
        if (!(r & POLLOUT)) break;
        const ssize_t k = ::write(fd_, bytes + done, n - done);
        if (k > 0) done += static_cast<size_t>(k);
        else if (!(k < 0 && errno == EINTR)) break;
    }
    return done;
}

size_t PosixSerialPort::read(uint8_t* buf, size_t n) {
    if (fd_ < 0 || n == 0) return 0;
    using std::chrono::milliseconds;
    const auto total = Clock::now() + milliseconds(readBudgetMs(n));
    auto deadline = total;
    size_t got = 0;
    bool readable = false; // poll said a byte was there
    while (got < n) {
        // VMIN 0, VTIME 0: the read returns at once with what has arrived, so bytes
        // already waiting (most of a block) cost no poll.
        const ssize_t k = ::read(fd_, buf + got, n - got);
        if (k > 0) {
            got += static_cast<size_t>(k);
            deadline = std::min(total, Clock::now() + milliseconds(kReadIntervalMs));
            readable = false;
            continue;
        }
        if (k < 0 && errno == EINTR) continue;
        // The other side hung up (EIO, or poll reporting input that read does not
        // give): poll would report it at once for ever, so the dead line is waited out
        // like a silent one.
        const bool dead = (k < 0 && errno != EAGAIN) || readable;
        if (!dead) {
            const int waitMs = msUntil(deadline);
            if (waitMs == 0) break;
            const int r = wait(POLLIN, waitMs);
            if (r <= 0) continue; // the time is up (seen next round), or a signal came
            if (r & POLLIN) {
                readable = true;
                continue;
            }
        }
        while (wait(0, msUntil(deadline)) < 0) {
        }
        break;
    }
    return got;
}

} // namespace kestro
