#include "sim/pty_adapter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/prctl.h>
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

void PtyAdapter::serve(const std::atomic<bool>& stop) {
    if (paced) ::prctl(PR_SET_TIMERSLACK, 1UL); // this thread's sleeps as exact as can be
    uint8_t buf[512];
    auto lastReply = Clock::time_point{};
    while (!stop && port_.masterFd() >= 0) {
        // Paced, the next byte is due right after a reply: look for it without sleeping
        // for a while, so the scheduler's wake-up time does not stretch the line.
        const bool spin = paced && Clock::now() - lastReply < kSpinWindow;
        pollfd p{port_.masterFd(), POLLIN, 0};
        const int r = ::poll(&p, 1, spin ? 0 : kTickMs);
        if (r == 0 && !spin) clearStaleExclusive();
        if (r <= 0) continue; // time to look at `stop`, or EINTR
        const ssize_t k = (p.revents & POLLIN) ? ::read(port_.masterFd(), buf, sizeof buf) : -1;
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
                port_.close();
                return;
            }
            deliver(arrived);
        }
        lastReply = Clock::now();
    }
}

void PtyAdapter::deliver(Clock::time_point arrived) {
    auto& out = sim_.output();
    if (out.empty()) return;
    std::vector<uint8_t> bytes(out.begin(), out.end());
    out.clear();
    if (!paced) {
        if (::write(port_.masterFd(), bytes.data(), bytes.size()) < 0 && sim_.trace)
            sim_.trace(errnoText("reply lost"));
        return;
    }
    for (uint8_t b : bytes) {
        lineOutFree_ = std::max(arrived, lineOutFree_) + kByteTime;
        waitUntil(lineOutFree_); // the byte is on the program's side once all of it has come
        if (::write(port_.masterFd(), &b, 1) < 0 && sim_.trace) sim_.trace(errnoText("reply lost"));
    }
}

} // namespace kestro
