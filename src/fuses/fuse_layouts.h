#pragma once
// Which layout the fuse panel shows for a device.

#include "fuses/layout_desc.h"

#include "devices/catalogue.h"

#include <optional>
#include <string_view>

namespace kestro {

struct FuseLayout {
    std::string_view name;
    FuseLayoutId id;
    const LayoutDesc* desc;
};

// The layout for a device index; null for devices without one (memories, encoders,
// the 87C5x parts, DS5000, ...), whose panel stays empty.
const FuseLayout* fuseLayoutFor(int deviceIndex);

} // namespace kestro
