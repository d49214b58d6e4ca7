#include "buffers/file_export.h"

#include "buffers/binary_file.h"
#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/path_parts.h"

#include <algorithm>
#include <span>

namespace kestro {

namespace {

bool isPic(const SelectedDevice& dev) { return picCoreOf(dev.index) != PicCore::None; }

// A binary image named as one of its own side files would be overwritten by it.
std::string sideFileClash(const PathParts& parts, const Images& img, const SelectedDevice& dev) {
    const bool programView = img.view == ProgramView || !bothMemories(dev);
    if (programView && bothMemories(dev) && extensionIs(parts, ".EEP"))
        return std::string("the ") + dev.name + "'s data memory goes to a .eep file beside its image: "
               "give the image another name";
    if (programView && writesFuseFile(dev.index) && extensionIs(parts, ".FUS"))
        return std::string("the ") + dev.name + "'s fuse bytes go to a .fus file beside its image: "
               "give the image another name";
    return {};
}

bool writeHexBytes(const std::string& path, Images& img, const SelectedDevice& dev,
                   std::optional<ByteRange> range) {
    const ActiveImage a = activeImage(img, dev);
    uint32_t first = 0, end = a.size;
    if (range) {
        first = std::min(range->first, a.size);
        end = std::max(first, std::min(range->last + 1, a.size));
    }
    img.programFileName = path;
    if (a.size > 0 && (!a.isProgramBuffer || dev.programSize == 0)) img.dataFileName = path;
    const std::span<const uint8_t> image(a.bytes, a.bytes ? a.size : 0);
    return writeIntelHexBytes(path, image.subspan(first, end - first), first);
}

} // namespace

FileResult exportImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                           const std::function<std::array<uint8_t, 2>()>& fusePair, bool withProgram,
                           std::optional<ByteRange> range) {
    const PathParts parts = splitPath(path);
    FileResult result;
    result.path = path;
    bool ok = true;
    if (namedAsIntelHex(parts) && isPic(dev)) {
        fusePair();
        ok = writeIntelHex(path, img, dev, withProgram);
        img.programFileName = img.dataFileName = path;
    } else if (namedAsIntelHex(parts)) {
        ok = writeHexBytes(path, img, dev, range);
    } else if (std::string clash = sideFileClash(parts, img, dev); !clash.empty()) {
        return {false, clash, false, path};
    } else {
        ok = saveBinary(parts, img, dev, fusePair, true).ok;
    }
    if (!ok) result = {false, kCantSave, true, path};
    return result;
}

bool exportKeepsDataMemory(const std::string& path, const SelectedDevice& dev) {
    return isPic(dev) || !namedAsIntelHex(splitPath(path));
}

} // namespace kestro
