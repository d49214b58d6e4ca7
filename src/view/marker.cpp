#include "view/marker.h"

#include <cstdio>

namespace kestro {

std::string markerLabelText(uint32_t start, uint32_t end) {
    char text[100];
    std::snprintf(text, sizeof text, "Marker Area  Start Address: %.6lXh  End Address: %.6lXh",
                  static_cast<unsigned long>(start), static_cast<unsigned long>(end));
    return text;
}

uint32_t parseMarkerField(std::string_view text, uint32_t dataSize) {
    if (text.size() != 6) return dataSize + 1;
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return dataSize + 1;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

MarkerEntry checkMarkerArea(std::string_view startText, std::string_view endText,
                            uint32_t dataSize) {
    MarkerEntry e{parseMarkerField(startText, dataSize), parseMarkerField(endText, dataSize)};
    // Unsigned: a data size of 0 has no valid address at all.
    if (dataSize == 0 || e.start > dataSize - 1 || e.end > dataSize - 1)
        e.message = kMarkerRangeMessage;
    else if (e.end < e.start)
        e.message = kMarkerOrderMessage;
    return e;
}

} // namespace kestro
