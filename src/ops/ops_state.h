#pragma once
// The operation frame's flags and the one buffer status texts are formatted into.

#include <cstddef>
#include <cstdint>

namespace kestro {

inline constexpr size_t kMessageTextSize = 100;

struct OperationState {
    uint8_t lastResult = 0;
    uint8_t cancel = 0;
    char msgText[kMessageTextSize] = {};
};

} // namespace kestro
