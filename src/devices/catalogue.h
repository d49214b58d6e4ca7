#pragma once
// The fixed table of chip types and the lookup that makes one row current.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestro {

struct SelectedDevice;

inline constexpr int kDeviceCount = 196;   // real chip types, indexes 0..195
inline constexpr int kUnknownDevice = 196; // the catalogue's "unknown" row

struct CatalogueRow {
    std::string_view name;
    uint8_t family;        // repeated here for checking; lookup derives it from the ranges
    uint32_t programSize;
    uint32_t dataSize;
    uint8_t voltage;
    uint8_t epromClass;
    uint8_t socketPicture;
};

struct FamilyRange {
    int first;
    int last;
    uint8_t family;
};

std::span<const CatalogueRow> catalogueRows(); // rows 0..195
std::span<const FamilyRange> familyRanges();

// Family code of an index, or nothing when the index is in no range (196 and up).
std::optional<uint8_t> familyOf(int deviceIndex);

// Applies the row of dev.index to the selected-device fields.
void catalogueLookup(SelectedDevice& dev);

// First index 0..195 whose name equals `name`; nothing when none does.
std::optional<int> findDeviceByName(std::string_view name);

} // namespace kestro
