#pragma once
// Colours as 0xRRGGBB: the operations' status colours and the window's palette.

#include <cstdint>

namespace kestro {

inline constexpr uint32_t kNoColor = 0xFF000000; // leave the widget's own colour
inline constexpr uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}
inline constexpr uint32_t kBlack = rgb(0, 0, 0), kWhite = rgb(255, 255, 255),
                          kRed = rgb(255, 0, 0), kGreen = rgb(0, 128, 0),
                          kBlue = rgb(0, 0, 255), kYellow = rgb(255, 255, 0),
                          kAqua = rgb(0, 255, 255), kNavy = rgb(0, 0, 128),
                          kMaroon = rgb(128, 0, 0), kPurple = rgb(128, 0, 128),
                          kButtonFace = rgb(240, 240, 240);

} // namespace kestro
