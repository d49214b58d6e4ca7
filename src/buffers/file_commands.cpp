#include "buffers/file_commands.h"

#include "buffers/binary_file.h"
#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/path_parts.h"

namespace kestro {

namespace {
bool isPic(const SelectedDevice& dev) { return picCoreOf(dev.index) != PicCore::None; }

FileResult errorBox(const char* text) { return {false, text, true, {}}; }
} // namespace

FileResult loadImageFile(const std::string& path, Images& img, const SelectedDevice& dev) {
    img.programFileName = path;
    const PathParts parts = splitPath(path);
    if (!extensionIs(parts, ".HEX")) {
        if (!loadBinary(parts, img, dev)) return errorBox(kCantOpenBinary);
        return {};
    }
    FileResult result;
    const HexError e = loadIntelHex(hexReaderFor(dev.index), path, img, dev);
    if (e != HexError::None) result = {false, hexErrorMessage(e), false, {}};
    if (isPic(dev)) picWordSwap(img, dev.programSize);
    if (isPic(dev) || traitsOf(dev.index).singleMemory) img.dataFileName = path;
    return result;
}

FileResult saveImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         const std::function<std::array<uint8_t, 2>()>& fusePair) {
    const PathParts parts = splitPath(path);
    if (isPic(dev)) {
        fusePair();
        FileResult result;
        result.path = hexSavePath(parts);
        img.programFileName = result.path;
        if (!writeIntelHex(result.path, img, dev)) result = {false, kCantSave, true, result.path};
        img.dataFileName = result.path;
        return result;
    }
    const BinarySave saved = saveBinary(parts, img, dev, fusePair);
    FileResult result = saved.ok ? FileResult{} : errorBox(kCantSave);
    result.path = saved.path;
    return result;
}

} // namespace kestro
