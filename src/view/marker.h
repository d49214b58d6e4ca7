#pragma once
// The marker area: an address window that limits chip transfers.

#include <cstdint>
#include <string>

namespace kestro {

struct MarkerArea {
    uint32_t start = 0;
    uint32_t end = 0;
    uint8_t set = 0;
};

// The status line that shows a set marker area.
std::string markerLabelText(uint32_t start, uint32_t end);

} // namespace kestro
