#pragma once
// The marker area: an address window that limits chip transfers of single-memory
// devices, and the rules of the panel it is entered in.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

struct MarkerArea {
    uint32_t start = 0;
    uint32_t end = 0;
    bool set = false;
    // What the panel last parsed; it shows them again, unwidened, when reopened.
    uint32_t enteredStart = 0;
    uint32_t enteredEnd = 0;
};

// The status line that shows a set marker area.
std::string markerLabelText(uint32_t start, uint32_t end);
// A field's text: six upper-case hex digits.
std::string markerFieldText(uint32_t value);
// An address as the status texts show it: the six digits and an h ("000123h").
std::string addressText(uint32_t address);
// Exactly six hex digits, read as one number; anything else is the invalid value
// dataSize + 1, which the range check refuses.
uint32_t parseMarkerField(std::string_view text, uint32_t dataSize);

enum class MarkerCheck : uint8_t { Ok, OutOfRange, StartAfterEnd };
// The range test comes first, so an invalid field always gives OutOfRange.
MarkerCheck checkMarker(uint32_t start, uint32_t end, uint32_t dataSize);
// "Not Available Address Range !", "Start Address > End Address !"; empty for Ok.
const char* markerCheckMessage(MarkerCheck check);

} // namespace kestro
