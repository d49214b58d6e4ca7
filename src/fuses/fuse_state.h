#pragma once
// What the fuse panel keeps beside the fuse bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestro {

inline constexpr size_t kFuseControlCount = 30;

struct FusePanelState {
    std::array<int, kFuseControlCount> controls{}; // indexes into the form's control list
    bool largeView = false;
    uint8_t lockMode = 0;
    std::array<uint8_t, 2> fuseFilePair{};
    std::array<uint8_t, 16> bitView{};
};

} // namespace kestro
