#include "view/marker.h"

#include <cstdio>

namespace kestro {

std::string markerLabelText(uint32_t start, uint32_t end) {
    return "Marker Area  Start Address: " + addressText(start) + "  End Address: " + addressText(end);
}

std::string markerFieldText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%.6X", static_cast<unsigned>(value));
    return text;
}

std::string addressText(uint32_t address) { return markerFieldText(address) + "h"; }

uint32_t parseMarkerField(std::string_view text, uint32_t dataSize) {
    const uint32_t invalid = dataSize + 1;
    if (text.size() != 6) return invalid;
    uint32_t value = 0;
    for (char c : text) {
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
        else return invalid;
        value = value * 16 + digit;
    }
    return value;
}

MarkerCheck checkMarker(uint32_t start, uint32_t end, uint32_t dataSize) {
    // Compared as start > size - 1 without wrapping below zero for an empty memory.
    if (start >= dataSize || end >= dataSize) return MarkerCheck::OutOfRange;
    if (end < start) return MarkerCheck::StartAfterEnd;
    return MarkerCheck::Ok;
}

const char* markerCheckMessage(MarkerCheck check) {
    switch (check) {
    case MarkerCheck::OutOfRange: return "Not Available Address Range !";
    case MarkerCheck::StartAfterEnd: return "Start Address > End Address !";
    case MarkerCheck::Ok: break;
    }
    return "";
}

} // namespace kestro
