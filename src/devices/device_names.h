#pragma once
// Chip types by the names people type: any case, and the nearest names when one is
// mistyped.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace kestro {

// First index 0..195 whose catalogue name equals `name`, ignoring case.
std::optional<int> findDeviceIgnoringCase(std::string_view name);

// Up to `count` distinct catalogue names nearest to `name`, nearest first, ties in
// catalogue order. Nearness counts edits of one character or of two swapped
// neighbours, case ignored; a name that contains what was typed counts as near.
std::vector<std::string_view> closestDeviceNames(std::string_view name, size_t count);

} // namespace kestro
