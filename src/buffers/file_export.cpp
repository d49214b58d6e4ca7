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
                   std::optional<ByteRange> range, std::string& reason) {
    const ActiveImage a = activeImage(img, dev);
    uint32_t first = 0, end = a.size;
    if (range) {
        first = std::min(range->first, a.size);
        end = std::max(first, std::min(range->last + 1, a.size));
    }
    img.programFileName = path;
    if (a.size > 0 && (!a.isProgramBuffer || dev.programSize == 0)) img.dataFileName = path;
    const std::span<const uint8_t> image(a.bytes, a.bytes ? a.size : 0);
    return writeIntelHexBytes(path, image.subspan(first, end - first), first, &reason);
}

} // namespace

FileResult exportImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                           const std::function<std::array<uint8_t, 2>()>& fusePair, bool withProgram,
                           std::optional<ByteRange> range) {
    const PathParts parts = splitPath(path);
    FileResult result;
    result.path = result.failedPath = path;
    bool ok = true;
    if (namedAsIntelHex(parts) && isPic(dev)) {
        fusePair();
        ok = writeIntelHex(path, img, dev, withProgram, &result.reason);
        img.programFileName = img.dataFileName = path;
    } else if (namedAsIntelHex(parts)) {
        ok = writeHexBytes(path, img, dev, range, result.reason);
    } else if (std::string clash = sideFileClash(parts, img, dev); !clash.empty()) {
        result.ok = false;
        result.message = clash;
        return result;
    } else {
        // A side file that cannot be written fails the whole set.
        const BinarySave saved = saveBinary(parts, img, dev, fusePair, true);
        ok = saved.ok;
        result.failedPath = saved.failedPath;
        result.reason = saved.reason;
    }
    if (!ok) {
        result.ok = false;
        result.message = kCantSave;
        result.errorBox = true;
    } else {
        result.failedPath.clear();
    }
    return result;
}

bool exportKeepsDataMemory(const std::string& path, const SelectedDevice& dev) {
    return isPic(dev) || !namedAsIntelHex(splitPath(path));
}

} // namespace kestro
