#include "sim/pty_adapter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestro {

namespace {

// One byte at 19200 baud, 8N1: start bit, 8 data bits, stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 19200);
constexpr int kTickMs = 50; // how often serve() looks at its stop flag
constexpr auto kSpinWindow = std::chrono::milliseconds(3);

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

// Sleeps most of the way, then spins: pacing needs better than the scheduler's 50 us.
void waitUntil(std::chrono::steady_clock::time_point t) {
    constexpr auto kSpin = std::chrono::microseconds(100);
    if (t - std::chrono::steady_clock::now() > kSpin) std::this_thread::sleep_until(t - kSpin);
    while (std::chrono::steady_clock::now() < t) {
    }
}

} // namespace

PtyAdapter::~PtyAdapter() {
    unpublish();
    closePty();
}

bool PtyAdapter::open(std::string& error) {
    const auto fail = [&](const std::string& what) {
        error = errnoText(what);
        closePty();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0)
        return fail("pty");
    slavePath_ = name;
    // Raw before anyone can open the slave: no echo, no line editing, no CR/LF mapping.
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&t, B19200);
    if (::tcsetattr(master_, TCSANOW, &t) != 0) return fail("tcsetattr");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail(name);
    // Replies go out without waiting: a program that is not reading loses them, as on
    // a real line.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyAdapter::publish(const std::filesystem::path& link, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(link.parent_path(), ec);
    auto tmp = link;
    tmp += ".new." + std::to_string(::getpid());
    std::filesystem::remove(tmp, ec);
    if (::symlink(slavePath_.c_str(), tmp.c_str()) != 0) {
        error = errnoText(tmp.string());
        return false;
    }
    if (::rename(tmp.c_str(), link.c_str()) != 0) {
        error = errnoText(link.string());
        std::filesystem::remove(tmp, ec);
        return false;
    }
    link_ = link;
    return true;
}

void PtyAdapter::unpublish() {
    if (link_.empty()) return;
    std::error_code ec;
    if (std::filesystem::read_symlink(link_, ec) == slavePath_) std::filesystem::remove(link_, ec);
    link_.clear();
}

void PtyAdapter::closePty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PtyAdapter::serve(const std::atomic<bool>& stop) {
    if (paced) ::prctl(PR_SET_TIMERSLACK, 1UL); // this thread's sleeps as exact as can be
    uint8_t buf[512];
    auto lastReply = Clock::time_point{};
    while (!stop && master_ >= 0) {
        // Paced, the next byte is due right after a reply: look for it without sleeping
        // for a while, so the scheduler's wake-up time does not stretch the line.
        const bool spin = paced && Clock::now() - lastReply < kSpinWindow;
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, spin ? 0 : kTickMs);
        if (r == 0 && !spin) clearStaleExclusive();
        if (r <= 0) continue; // time to look at `stop`, or EINTR
        const ssize_t k = (p.revents & POLLIN) ? ::read(master_, buf, sizeof buf) : -1;
        if (k <= 0) {
            // Only a vanished slave gives this, and ours stays open; never spin on it.
            std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
            continue;
        }
        const auto readAt = Clock::now();
        for (ssize_t i = 0; i < k; ++i) {
            auto arrived = readAt;
            if (paced) arrived = lineInFree_ = std::max(readAt, lineInFree_) + kByteTime;
            const auto ms = std::chrono::floor<std::chrono::milliseconds>(arrived - started_);
            sim_.receive(buf[i], static_cast<uint64_t>(ms.count()));
            if (sim_.hungUp()) {
                closePty();
                return;
            }
            deliver(arrived);
        }
        lastReply = Clock::now();
    }
}

void PtyAdapter::clearStaleExclusive() {
    int exclusive = 0;
    if (slave_ < 0 || ::ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || !exclusive) return;
    if (::flock(slave_, LOCK_EX | LOCK_NB) != 0) return; // still held
    ::ioctl(slave_, TIOCNXCL);
    ::flock(slave_, LOCK_UN);
}

void PtyAdapter::deliver(Clock::time_point arrived) {
    auto& out = sim_.output();
    if (out.empty()) return;
    std::vector<uint8_t> bytes(out.begin(), out.end());
    out.clear();
    if (!paced) {
        if (::write(master_, bytes.data(), bytes.size()) < 0 && sim_.trace)
            sim_.trace(errnoText("reply lost"));
        return;
    }
    for (uint8_t b : bytes) {
        lineOutFree_ = std::max(arrived, lineOutFree_) + kByteTime;
        waitUntil(lineOutFree_); // the byte is on the program's side once all of it has come
        if (::write(master_, &b, 1) < 0 && sim_.trace) sim_.trace(errnoText("reply lost"));
    }
}

} // namespace kestro
