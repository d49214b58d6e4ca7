#pragma once
// The operation frame's flags and the one buffer status texts are formatted into.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestro {

// The first difference Verify or Check Erase found: where, what the buffer holds
// there (0xFF for a blank check) and what the chip gave.
struct Difference {
    uint32_t address = 0;
    uint8_t expected = 0;
    uint8_t found = 0;
};

// The two Setup toggles the Process chains follow.
struct ChainSettings {
    bool verifyAfterProgram = false;
    bool autoDataMemory = false;
};

struct OperationState {
    bool lastResult = false;
    bool cancel = false;
    // An operation of the running chain ended at a stop request (before its command
    // went out, between blocks, or between erase packets): it did not complete.
    bool stopTaken = false;
    std::string msgText;
    Difference difference;
};

} // namespace kestro
