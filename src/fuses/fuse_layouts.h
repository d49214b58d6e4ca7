#pragma once
// Which layout the fuse panel shows for a device.

#include "fuses/layout_desc.h"

#include <optional>
#include <span>
#include <string_view>

namespace kestro {

struct FuseLayout {
    std::string_view name;
    Devices devices;
    const LayoutDesc* desc;
};

// The layout for a device index; null for devices without one (memories, encoders,
// the 87C5x parts, DS5000, ...), whose panel stays empty.
const FuseLayout* fuseLayoutFor(int deviceIndex);
std::span<const FuseLayout> fuseLayouts();

} // namespace kestro
