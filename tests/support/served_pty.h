#pragma once
// One adapter double on its own pty and thread, linked as COM1 in the config folder.

#include "link/port_path.h"
#include "sim/pty_adapter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kestro::test {

struct Served {
    AdapterSim adapter;
    PtyAdapter pty{adapter};
    std::atomic<bool> stop{false};
    std::thread thread;
    explicit Served(AdapterKind kind, AdapterFaults faults = {},
                    SimChip chip = SimChip::blank(kAnyChip))
        : adapter(adapterConfig(kind), std::move(chip)) {
        adapter.faults = faults; // set before the server thread starts reading them
        std::string error;
        if (!pty.open(error) || !pty.publish(portLinkPath("COM1"), error))
            ADD_FAILURE() << error;
        thread = std::thread([this] { pty.serve(stop); });
    }
    ~Served() {
        stop = true;
        thread.join();
    }
};

// A raw pty nobody serves: whatever a program writes to it waits at the master side.
struct SilentPty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    int slave = -1; // held, so the master never reads a hang-up
    std::string path;
    SilentPty() {
        char name[128];
        termios t{};
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0 || ::tcgetattr(master, &t) != 0) {
            ADD_FAILURE() << "no pty";
            return;
        }
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
        path = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~SilentPty() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
    SilentPty(const SilentPty&) = delete;
    SilentPty& operator=(const SilentPty&) = delete;
    std::string received() {
        std::string s;
        char buf[256];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) s.append(buf, static_cast<size_t>(n));
        return s;
    }
};

} // namespace kestro::test
