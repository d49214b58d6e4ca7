#pragma once
// The chip types the tests work with, by device index. ChipTable checks each against
// the catalogue's name for it.

namespace kestro::chips {

inline constexpr int kAt89C2051 = 1, kAt89C51 = 3, kAt89C52 = 6, kAt89C55WD = 9, kAt89S8252 = 13;
inline constexpr int kAt90S2313 = 15, kAttiny11 = 16, kAttiny12 = 17, kAtmega8515 = 27;
inline constexpr int kPic12C508 = 46, kPic16F84 = 68, kPic16F877 = 87, kPic18F452 = 98;
inline constexpr int k93C06 = 102, k93C46x16 = 104, k17C256 = 118, k24C02 = 121;
inline constexpr int k27C256 = 153, k27C010 = 161, k28F010 = 168, k29F800 = 182, kHcs301 = 188;

} // namespace kestro::chips
