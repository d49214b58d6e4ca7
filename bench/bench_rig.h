#pragma once
// A form on the termios port with the adapter double on a pty, for timing the link.

#include "link/port_path.h"
#include "quiet_host.h"
#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "sim/pty_adapter.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace kestro::bench {


// The simulator serving COM1 in a private config folder, and the form with the port open.
struct Rig {
    std::filesystem::path home;
    AdapterSim adapter;
    PtyAdapter pty{adapter};
    std::atomic<bool> stop{false};
    std::thread server;
    QuietHost host;
    PosixSerialPort port;
    TMyForm form{host, port};

    explicit Rig(bool paced, SimChip chip = SimChip::blank(kEmptySocket))
        : adapter(adapterConfig(AdapterKind::Full), std::move(chip)) {
        char dir[] = "/tmp/kestro-bench-XXXXXX";
        home = ::mkdtemp(dir);
        ::setenv("XDG_CONFIG_HOME", dir, 1);
        std::string error;
        pty.paced = paced;
        if (!pty.open(error) || !pty.publish(portLinkPath("COM1"), error)) std::abort();
        server = std::thread([this] { pty.serve(stop); });
        form.startLink();
        if (!form.st.link.portOpen) std::abort();
    }
    ~Rig() {
        form.closePort();
        stop = true;
        server.join();
        std::filesystem::remove_all(home);
    }
};

} // namespace kestro::bench
