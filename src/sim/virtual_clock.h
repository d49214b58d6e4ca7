#pragma once
// Milliseconds that pass only when someone says so: the test host's sleeps and the
// simulated port's time-outs move the same clock, so no test waits for real.

#include <cstdint>

namespace kestro {

struct VirtualClock {
    uint64_t nowMs = 0;
    void advance(uint64_t ms) { nowMs += ms; }
};

} // namespace kestro
