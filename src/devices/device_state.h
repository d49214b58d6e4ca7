#pragma once
// The selected device: the current catalogue row, written only by the catalogue lookup.

#include "devices/catalogue.h"

#include <cstdint>
#include <string>

namespace kestro {

struct SelectedDevice {
    int32_t index = 0;
    std::string name{};
    uint32_t programSize = 0;
    uint32_t dataSize = 0;
    Family family = Family::Flash8051Pin20;
    uint8_t voltage = 0;
    uint8_t epromClass = 0;
    uint8_t socketPicture = 0;
    bool picFlag = false;
};

} // namespace kestro
