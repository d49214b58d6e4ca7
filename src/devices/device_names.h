#pragma once
// Chip types by the names people type: any case, and the nearest names when one is
// mistyped.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace kestro {

// The name a device's menu item shows: its caption where that differs from the
// catalogue name (row 170, "29C010A"), else the catalogue name.
std::string_view menuName(int deviceIndex);

// First index 0..195 whose menu name equals `name`, ignoring case, else the first
// whose catalogue name does.
std::optional<int> findDeviceIgnoringCase(std::string_view name);

// Up to `count` distinct catalogue names nearest to `name`, nearest first, ties in
// catalogue order. Nearness counts edits of one character or of two swapped
// neighbours, case ignored; a name that contains what was typed counts as near.
std::vector<std::string_view> closestDeviceNames(std::string_view name, size_t count);

} // namespace kestro
