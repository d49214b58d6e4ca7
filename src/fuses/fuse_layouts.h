#pragma once
// Which layout the fuse panel shows for a device.

#include "fuses/layout_desc.h"
#include "shell/index_ranges.h"

#include <optional>
#include <span>
#include <string_view>

namespace kestro {

struct FuseLayout {
    std::string_view name;
    IndexRange devices[3]; // unused entries are {-1, -1}
    const LayoutDesc* desc;
};

// The layout for a device index; null for devices without one (memories, encoders,
// the 87C5x parts, DS5000, ...), whose panel stays empty.
const FuseLayout* fuseLayoutFor(int deviceIndex);
std::span<const FuseLayout> fuseLayouts();

// Program Security with no lock mode chosen takes the strongest entry of the lock
// list and its lock mode; nothing for devices that keep 0.
struct LockChoice {
    int entry;
    uint8_t lockMode;
};
std::optional<LockChoice> strongestLock(int deviceIndex);

} // namespace kestro
