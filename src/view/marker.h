#pragma once
// The marker area: an address window that limits chip transfers.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

struct MarkerArea {
    uint32_t start = 0;
    uint32_t end = 0;
    uint8_t set = 0;
};

inline constexpr const char* kMarkerRangeMessage = "Not Available Address Range !";
inline constexpr const char* kMarkerOrderMessage = "Start Address > End Address !";

// The status line that shows a set marker area.
std::string markerLabelText(uint32_t start, uint32_t end);

// A field as entered: exactly six hexadecimal digits, else dataSize + 1 (out of range).
uint32_t parseMarkerField(std::string_view text, uint32_t dataSize);

struct MarkerEntry {
    uint32_t start = 0; // the values as entered, also when they are refused
    uint32_t end = 0;
    const char* message = nullptr; // null when the area can be set
};

// The two fields checked as OK checks them: the range first, then the order.
MarkerEntry checkMarkerArea(std::string_view startText, std::string_view endText,
                            uint32_t dataSize);

} // namespace kestro
