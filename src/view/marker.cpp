#include "view/marker.h"

#include <cstdio>

namespace kestro {

std::string markerLabelText(uint32_t start, uint32_t end) {
    char text[100];
    std::snprintf(text, sizeof text, "Marker Area  Start Address: %.6lXh  End Address: %.6lXh",
                  static_cast<unsigned long>(start), static_cast<unsigned long>(end));
    return text;
}

} // namespace kestro
