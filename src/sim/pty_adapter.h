#pragma once
// The adapter double behind a pseudo-terminal, in real time: the program opens the pty's
// slave side like any serial device (through a COMn link in the config folder).

#include "sim/adapter_sim.h"
#include "sim/pty_port.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace kestro {

class PtyAdapter {
public:
    explicit PtyAdapter(AdapterSim& sim) : sim_(sim) {}
    PtyAdapter(const PtyAdapter&) = delete;
    PtyAdapter& operator=(const PtyAdapter&) = delete;

    bool open(std::string& error) { return port_.open(error); }
    const std::string& slavePath() const { return port_.slavePath(); }
    int slaveFd() const { return port_.slaveFd(); }
    bool publish(const std::filesystem::path& link, std::string& error) {
        return port_.publish(link, error);
    }
    void unpublish() { port_.unpublish(); }

    // Answers the program until `stop` is set or the adapter hangs up (a hang-up fault
    // closes the pty: the program's side then sees POLLHUP). Clears a stale exclusive
    // mode whenever the line is idle.
    void serve(const std::atomic<bool>& stop);

    void clearStaleExclusive() { port_.clearStaleExclusive(); }

    // Pace both directions at 19200 baud (10 bits a byte: 521 us), as a real line does.
    bool paced = false;

private:
    using Clock = std::chrono::steady_clock;
    void deliver(Clock::time_point arrived);

    AdapterSim& sim_;
    PtyPort port_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lineInFree_{}, lineOutFree_{};
};

} // namespace kestro
