#include "buffers/images.h"

#include <algorithm>
#include <utility>

namespace kestro {

void clearBuffers(Images& img) {
    img.program.fill(0xFF);
    img.data.fill(0xFF);
}

void clearImages(Images& img) {
    clearBuffers(img);
    img.idBlock.fill(0xFF);
    img.configBlock.fill(0xFF);
}

void picWordSwap(Images& img, uint32_t programSize) {
    const uint32_t end = std::min(programSize, kProgramBufferSize);
    for (uint32_t i = 0; i < end && i + 1 < kProgramBufferSize; i += 2)
        std::swap(img.program[i], img.program[i + 1]);
}

void normaliseView(Images& img, const SelectedDevice& dev) {
    if (dev.programSize > 0 && dev.dataSize == 0) img.view = ProgramView;
    else if (dev.programSize == 0 && dev.dataSize > 0) img.view = DataView;
}

ActiveImage activeImage(Images& img, const SelectedDevice& dev) {
    if (dev.programSize > 0 && (dev.dataSize == 0 || img.view == ProgramView))
        return {img.program.data(), dev.programSize, true};
    if (dev.programSize == 0 && dev.dataSize > 0)
        return {img.program.data(), dev.dataSize, true};
    if (dev.programSize > 0 && dev.dataSize > 0)
        return {img.data.data(), dev.dataSize, false};
    return {};
}

const std::string& viewFileName(const Images& img) {
    return img.view == DataView ? img.dataFileName : img.programFileName;
}

} // namespace kestro
