#pragma once
// The memory images: sized for the largest chip and alive for the whole run.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestro {

inline constexpr uint32_t kProgramBufferSize = 0x100000; // 1 MiB: 27C801, 29F800
inline constexpr uint32_t kDataBufferSize = 0x800;       // AT89S8252 data EEPROM
inline constexpr size_t kFuseBlockSize = 16;

enum BufferView : uint8_t { ProgramView = 0, DataView = 1 };

struct Images {
    std::array<uint8_t, kProgramBufferSize> program{};
    std::array<uint8_t, kDataBufferSize> data{};
    std::array<uint8_t, kFuseBlockSize> idBlock{};
    std::array<uint8_t, kFuseBlockSize> configBlock{};
    uint8_t view = ProgramView;
    // The last file loaded carried fuse, configuration or ID bytes (a configuration
    // record, a .fus side file, an ELF fuse section).
    bool fusesLoaded = false;
    std::string programFileName;
    std::string dataFileName;
};

} // namespace kestro
