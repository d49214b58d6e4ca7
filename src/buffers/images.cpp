#include "buffers/images.h"

#include <algorithm>
#include <utility>

namespace kestro {

PicCore picCoreOf(int i) {
    if (i == 46 || i == 47 || (i >= 50 && i <= 58)) return PicCore::Core12;
    if (i == 48 || i == 49 || (i >= 59 && i <= 91)) return PicCore::Core14;
    if (i >= 92 && i <= 101) return PicCore::Pic18;
    return PicCore::None;
}

uint8_t picHighByteMask(int deviceIndex) {
    switch (picCoreOf(deviceIndex)) {
    case PicCore::Core12: return 0x0F;
    case PicCore::Core14: return 0x3F;
    default: return 0xFF;
    }
}

uint16_t picBlankWord(int deviceIndex) {
    return static_cast<uint16_t>(picHighByteMask(deviceIndex) << 8 | 0xFF);
}

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
