#pragma once
// hwtest/ owns the hardware test.
//
// The hardware test: while it runs, the packet's per-device bytes carry its pin pattern.

#include <cstdint>

namespace kestro {

struct HardwareTestState {
    bool mode = false; // the test runs
};

} // namespace kestro
