#pragma once
// The operation frame's flags and the one buffer status texts are formatted into.

#include <cstddef>
#include <cstdint>

namespace kestro {

inline constexpr size_t kMessageTextSize = 100;

// The first difference Verify or Check Erase found: where, what the buffer holds
// there (0xFF for a blank check) and what the chip gave.
struct Difference {
    uint32_t address = 0;
    uint8_t expected = 0;
    uint8_t found = 0;
};

// The two Setup toggles the Process chains follow.
struct ChainSettings {
    uint8_t verifyAfterProgram = 0;
    uint8_t autoDataMemory = 0;
};

struct OperationState {
    uint8_t lastResult = 0;
    uint8_t cancel = 0;
    // An operation of the running chain ended at a stop request (before its command
    // went out, between blocks, or between erase packets): it did not complete.
    bool stopTaken = false;
    char msgText[kMessageTextSize] = {};
    Difference difference;
};

} // namespace kestro
