#pragma once
// Which layout the fuse panel shows for a device, and the three steps each layout
// provides: build its controls, fill them from the fuse bytes, read them back.

#include "devices/index_ranges.h"

#include <span>
#include <string_view>

namespace kestro {

class FusePanel;

using FuseLayoutStep = void (*)(FusePanel&);

struct FuseLayout {
    std::string_view name;
    IndexRange devices[3]; // unused entries are {-1, -1}
    FuseLayoutStep build;
    FuseLayoutStep fill;
    FuseLayoutStep readBack;
};

// The layout for a device index; null for devices without one (memories, encoders,
// the 87C5x parts, DS5000, ...), whose panel stays empty.
const FuseLayout* fuseLayoutFor(int deviceIndex);

} // namespace kestro
