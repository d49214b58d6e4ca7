#pragma once
// One adapter double on its own pty and thread, linked as COM1 in the config folder.

#include "link/port_path.h"
#include "sim/pty_adapter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

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

} // namespace kestro::test
