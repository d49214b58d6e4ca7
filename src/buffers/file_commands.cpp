#include "buffers/file_commands.h"

#include "buffers/binary_file.h"
#include "buffers/elf_file.h"
#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/path_parts.h"

#include <memory>

namespace kestro {

namespace {
bool isPic(const SelectedDevice& dev) { return picCoreOf(dev.index) != PicCore::None; }

FileResult failure(const std::string& text, bool inErrorBox) {
    FileResult r;
    r.ok = false;
    r.message = text;
    r.errorBox = inErrorBox;
    return r;
}

FileResult errorBox(const std::string& text) { return failure(text, true); }

bool namedAsElf(const PathParts& parts) { return extensionIs(parts, ".ELF"); }

// What a HEX or ELF load leaves: PIC words high byte first, and the file name on the
// data buffer where the file filled it.
void afterWholeImageLoad(const std::string& path, Images& img, const SelectedDevice& dev,
                         bool withEeprom) {
    if (isPic(dev)) picWordSwap(img, dev.programSize);
    if (isPic(dev) || traitsOf(dev.index).singleMemory || withEeprom) img.dataFileName = path;
}

FileResult loadInPlace(const std::string& path, Images& img, const SelectedDevice& dev,
                       LoadReport* report) {
    img.programFileName = path;
    img.fusesLoaded = false;
    const PathParts parts = splitPath(path);
    if (namedAsElf(parts)) {
        const std::string e = loadElf(path, img, dev, report);
        if (!e.empty()) return errorBox(e);
        afterWholeImageLoad(path, img, dev, traitsOf(dev.index).avr && dev.dataSize > 0);
        return {};
    }
    if (!namedAsIntelHex(parts)) {
        LoadReport own;
        LoadReport& r = report ? *report : own;
        if (!loadBinary(parts, img, dev, &r)) return errorBox(kCantOpenBinary);
        r.hexText = report && fileReadsAsIntelHex(path);
        FileResult result;
        result.leftOut = r.outsideBytes;
        return result;
    }
    const HexError e = loadIntelHex(hexReaderFor(dev.index), path, img, dev, report);
    if (e != HexError::None) return failure(hexErrorMessage(e), false);
    afterWholeImageLoad(path, img, dev, false);
    return {};
}

} // namespace

FileResult loadImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         LoadReport* report) {
    // The readers fill the images as they go; a file that fails part way must not
    // leave its first records looking like a loaded file (a Program would write them).
    const auto before = std::make_unique<Images>(img);
    FileResult result = loadInPlace(path, img, dev, report);
    if (!result.ok) img = *before;
    return result;
}

const char* cantOpenMessage(const std::string& path) {
    return namedAsIntelHex(splitPath(path)) ? hexErrorMessage(HexError::CantOpen) : kCantOpenBinary;
}

FileResult saveImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         const std::function<std::array<uint8_t, 2>()>& fusePair, bool withProgram) {
    const PathParts parts = splitPath(path);
    FileResult result;
    if (isPic(dev)) {
        fusePair();
        result.path = hexSavePath(parts);
        if (!writeIntelHex(result.path, img, dev, withProgram, &result.reason)) {
            FileResult failed = errorBox(kCantSave);
            failed.path = failed.failedPath = result.path;
            failed.reason = result.reason;
            return failed;
        }
        img.programFileName = result.path;
        img.dataFileName = result.path;
        return result;
    }
    const BinarySave saved = saveBinary(parts, img, dev, fusePair);
    if (!saved.ok) result = errorBox(kCantSave);
    result.path = saved.path;
    result.failedPath = saved.failedPath;
    result.reason = saved.reason;
    return result;
}

} // namespace kestro
