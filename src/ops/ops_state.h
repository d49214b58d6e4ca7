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

struct OperationState {
    uint8_t lastResult = 0;
    uint8_t cancel = 0;
    char msgText[kMessageTextSize] = {};
    Difference difference;
};

} // namespace kestro
