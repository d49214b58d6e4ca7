#pragma once
// The 13 socket pictures: what each must show. The Qt shell draws them from this.

#include <cstdint>
#include <span>
#include <string_view>

namespace kestro {

struct SocketPictureShape {
    std::string_view name; // the picture control
    int width;             // pixels
    int height;
    int socketPins;
    int chipPins;
    int firstRow; // socket rows (pin pairs counted from the top, 1-based) the chip occupies
    int lastRow;
};

std::span<const SocketPictureShape> socketPictureShapes();
// Null when no picture has that name.
const SocketPictureShape* socketPictureShape(std::string_view name);

} // namespace kestro
