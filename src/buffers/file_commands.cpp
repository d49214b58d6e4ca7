#include "buffers/file_commands.h"

#include "buffers/binary_file.h"
#include "buffers/elf_file.h"
#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/path_parts.h"
#include "buffers/regular_file.h"

#include <vector>

namespace kestro {

namespace {
bool isPic(const SelectedDevice& dev) { return picCoreOf(dev.index) != PicCore::None; }

FileResult errorBox(const std::string& text) { return {false, text, true, {}}; }

bool namedAsElf(const PathParts& parts) { return extensionIs(parts, ".ELF"); }

// What a HEX or ELF load leaves: PIC words high byte first, and the file name on the
// data buffer where the file filled it.
void afterWholeImageLoad(const std::string& path, Images& img, const SelectedDevice& dev,
                         bool withEeprom) {
    if (isPic(dev)) picWordSwap(img, dev.programSize);
    if (isPic(dev) || traitsOf(dev.index).singleMemory || withEeprom) img.dataFileName = path;
}

// Larger than the Intel HEX text of the largest image.
constexpr size_t kHexTextLimit = 8u << 20;

bool readsAsIntelHex(const std::string& path) {
    std::vector<uint8_t> text;
    if (!readRegularFile(path, text, 1) || text.empty() || text[0] != ':') return false;
    return readRegularFile(path, text, kHexTextLimit) && isIntelHexText(text);
}
} // namespace

FileResult loadImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
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
        if (!loadBinary(parts, img, dev, report)) return errorBox(kCantOpenBinary);
        if (report) report->hexText = readsAsIntelHex(path);
        return {};
    }
    FileResult result;
    const HexError e = loadIntelHex(hexReaderFor(dev.index), path, img, dev, report);
    if (e != HexError::None) result = {false, hexErrorMessage(e), false, {}};
    afterWholeImageLoad(path, img, dev, false);
    return result;
}

const char* cantOpenMessage(const std::string& path) {
    return namedAsIntelHex(splitPath(path)) ? hexErrorMessage(HexError::CantOpen) : kCantOpenBinary;
}

FileResult saveImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         const std::function<std::array<uint8_t, 2>()>& fusePair, bool withProgram) {
    const PathParts parts = splitPath(path);
    if (isPic(dev)) {
        fusePair();
        FileResult result;
        result.path = hexSavePath(parts);
        img.programFileName = result.path;
        if (!writeIntelHex(result.path, img, dev, withProgram)) result = {false, kCantSave, true, result.path};
        img.dataFileName = result.path;
        return result;
    }
    const BinarySave saved = saveBinary(parts, img, dev, fusePair);
    FileResult result = saved.ok ? FileResult{} : errorBox(kCantSave);
    result.path = saved.path;
    return result;
}

} // namespace kestro
