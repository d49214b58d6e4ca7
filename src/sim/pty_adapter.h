#pragma once
// The adapter double behind a pseudo-terminal, in real time: the program opens the pty's
// slave side like any serial device (through a COMn link in the config folder).

#include "sim/adapter_sim.h"

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
    ~PtyAdapter(); // removes the link and closes the pty

    // Creates the pty, puts it in raw mode and keeps a slave descriptor of its own, so
    // the master never sees a hang-up while the program has the port closed.
    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }
    int slaveFd() const { return slave_; }

    // Makes `link` (created with its folder) a symbolic link to the slave; replaces an
    // old link in one step.
    bool publish(const std::filesystem::path& link, std::string& error);
    // Removes the link, if it still points at this pty.
    void unpublish();

    // Answers the program until `stop` is set or the adapter hangs up (a hang-up fault
    // closes the pty: the program's side then sees POLLHUP). Clears a stale exclusive
    // mode whenever the line is idle.
    void serve(const std::atomic<bool>& stop);

    // A program killed while it held the port leaves TIOCEXCL set: the flag outlives
    // its close because this side keeps the pty open, and every non-root opener after
    // it is refused. The holder of the port also holds a flock on it; once that lock
    // is free, the holder is gone and the flag is cleared.
    void clearStaleExclusive();

    // Pace both directions at 19200 baud (10 bits a byte: 521 us), as a real line does.
    bool paced = false;

private:
    using Clock = std::chrono::steady_clock;
    void deliver(Clock::time_point arrived);
    void closePty();

    AdapterSim& sim_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path link_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lineInFree_{}, lineOutFree_{};
};

} // namespace kestro
