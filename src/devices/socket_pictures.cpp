#include "devices/socket_pictures.h"

namespace kestro {
namespace {

constexpr SocketPictureShape kPictures[] = {
    {"Img_IC40", 110, 300, 40, 40, 1, 20},
    {"Img_IC20", 110, 300, 40, 20, 1, 10},
    {"Img_IC8_5", 110, 300, 40, 8, 5, 8},
    {"Img_IC8_10", 110, 300, 40, 8, 10, 13},
    {"Img_IC14_8", 110, 300, 40, 14, 8, 14},
    {"Img_IC14_10", 110, 300, 40, 14, 10, 16},
    {"Img_IC18", 110, 300, 40, 18, 1, 9},
    {"Img_IC28PIC", 110, 300, 40, 28, 1, 14},
    {"Img_IC24", 110, 262, 32, 24, 5, 16},
    {"Img_IC28", 110, 262, 32, 28, 3, 16},
    {"Img_IC32", 110, 262, 32, 32, 1, 16},
    {"Img_IC20_m3", 86, 171, 20, 20, 1, 10},
    {"Img_IC20_8", 86, 171, 20, 8, 6, 9},
};

} // namespace

std::span<const SocketPictureShape> socketPictureShapes() { return kPictures; }

const SocketPictureShape* socketPictureShape(std::string_view name) {
    for (const auto& p : kPictures)
        if (p.name == name) return &p;
    return nullptr;
}

} // namespace kestro
