#include "buffers/binary_file.h"

#include "buffers/atomic_file.h"
#include "buffers/hex_reader.h"
#include "buffers/regular_file.h"
#include "devices/traits.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestro {

bool bothMemories(const SelectedDevice& dev) { return dev.programSize > 0 && dev.dataSize > 0; }

namespace {

// More than the text of any data EEPROM in Intel HEX; a raw file is cut to the data size anyway.
constexpr uint32_t kSideFileLimit = 64 * 1024;

class ReadFile {
public:
    explicit ReadFile(const std::string& path) : fd_(openRegularFile(path)) {}
    ~ReadFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    uint64_t length() const {
        struct stat sb {};
        return ::fstat(fd_, &sb) == 0 ? static_cast<uint64_t>(sb.st_size) : 0;
    }

    // Reads until `max` bytes, the end of the file or an error; gives the count.
    uint32_t read(uint8_t* dst, uint32_t max) {
        uint32_t done = 0;
        while (done < max) {
            const ssize_t n = ::read(fd_, dst + done, max - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<uint32_t>(n);
        }
        return done;
    }

private:
    int fd_ = -1;
};

// Fills `size` bytes with 0xFF, then reads at most `max` bytes of the file over them.
uint32_t loadInto(ReadFile& f, uint8_t* dst, uint32_t size, uint32_t max) {
    std::fill(dst, dst + size, 0xFF);
    return f.read(dst, std::min(size, max));
}

// The `.eep` side file: its own length and the data size limit it, not the main
// file's length. Toolchains write it as Intel HEX (data addresses from 0) as often
// as raw.
void loadSideData(ReadFile& f, uint8_t* dst, uint32_t size) {
    std::vector<uint8_t> text(kSideFileLimit + 1);
    text.resize(f.read(text.data(), kSideFileLimit + 1));
    std::fill(dst, dst + size, 0xFF);
    if (isIntelHexText(text)) {
        readIntelHexBytes(text, dst, size);
        return;
    }
    std::copy_n(text.begin(), std::min<size_t>(size, text.size()), dst);
}

// The main file's bytes from offset 0 of the memory it fills; those past its end
// have no place in the part.
void reportBinary(const ReadFile& f, const SelectedDevice& dev, uint8_t view, LoadReport& report) {
    report = {};
    report.fileBytes = f.length();
    const bool data = bothMemories(dev) && view == DataView;
    uint32_t size = dev.programSize > 0 ? dev.programSize : dev.dataSize;
    if (data) size = dev.dataSize;
    const auto held = static_cast<uint32_t>(std::min<uint64_t>(report.fileBytes, size));
    report.placeRun(data ? ImageArea::Data : ImageArea::Program, 0, held);
    if (report.fileBytes > size) report.outside(size, report.fileBytes - size);
}

} // namespace

bool loadBinary(const PathParts& path, Images& img, const SelectedDevice& dev, LoadReport* report) {
    const std::string name = joinPath(path);
    ReadFile f(name);
    if (!f.isOpen()) return false;
    if (report) reportBinary(f, dev, img.view, *report);
    const uint32_t p = dev.programSize, d = dev.dataSize;
    if (bothMemories(dev) && img.view == ProgramView) {
        loadInto(f, img.program.data(), p, kProgramBufferSize);
        const std::string eepName = withExtension(path, ".eep");
        if (ReadFile eep(eepName); eep.isOpen()) {
            loadSideData(eep, img.data.data(), d);
            img.dataFileName = eepName;
        }
        if (ReadFile fus(withExtension(path, ".fus")); fus.isOpen()) {
            uint8_t pair[2] = {0xFF, 0xFF}; // a missing byte reads as 0xFF
            fus.read(pair, 2);
            img.configBlock[1] = pair[0];
            img.configBlock[0] = pair[1];
            img.fusesLoaded = true;
        }
    } else if (bothMemories(dev)) {
        loadInto(f, img.data.data(), d, kProgramBufferSize);
        img.dataFileName = name;
    } else if (p > 0) {
        loadInto(f, img.program.data(), p, kProgramBufferSize);
    } else if (d > 0) {
        loadInto(f, img.program.data(), d, kProgramBufferSize);
        img.dataFileName = name;
    }
    return true;
}

bool writesFuseFile(int deviceIndex) { return traitsOf(deviceIndex).fuseFile; }

BinarySave saveBinary(const PathParts& path, Images& img, const SelectedDevice& dev,
                      const std::function<std::array<uint8_t, 2>()>& fusePair, bool keepName) {
    PathParts parts = path;
    if (!keepName && !extensionIs(parts, ".BIN")) parts.ext = ".bin";
    BinarySave result;
    result.path = joinPath(parts);

    struct Piece {
        std::string path;
        const uint8_t* bytes;
        uint32_t size;
        LinkTargetTest test;
    };
    std::vector<Piece> set;
    const uint32_t p = dev.programSize, d = dev.dataSize;
    const bool programView = img.view == ProgramView || !bothMemories(dev);
    if (p > 0 && programView) {
        set.push_back({result.path, img.program.data(), p, linkTargetIsImage});
    } else if (p > 0) {
        set.push_back({result.path, img.data.data(), d, linkTargetIsImage});
    } else {
        // single memory; nothing for the "unknown" row
        set.push_back({result.path, img.program.data(), d, linkTargetIsImage});
    }
    const bool sideFiles = programView && p > 0;
    if (sideFiles && bothMemories(dev))
        set.push_back({withExtension(parts, ".eep"), img.data.data(), d, linkTargetIsDataFile});
    uint8_t pair[2] = {0xFF, 0xFF};
    if (sideFiles && writesFuseFile(dev.index)) set.push_back({withExtension(parts, ".fus"), pair, 2, linkTargetIsFuseFile});

    // Every file of the set is written and flushed before any replaces its old one: a
    // side file that cannot be written fails the save and leaves the old set whole.
    std::vector<AtomicFile> files(set.size());
    for (size_t i = 0; i < set.size(); ++i) {
        AtomicFile& f = files[i];
        bool ok = f.create(set[i].path, set[i].test);
        if (ok && set[i].bytes == pair) {
            const std::array<uint8_t, 2> fuses = fusePair();
            pair[0] = fuses[1];
            pair[1] = fuses[0];
        }
        if (ok) f.write(set[i].bytes, set[i].size);
        if (!ok || !f.finish()) {
            result.ok = false;
            result.failedPath = set[i].path;
            result.reason = f.reason();
            return result;
        }
    }
    for (size_t i = 0; i < set.size(); ++i) {
        if (!files[i].replace()) {
            result.ok = false;
            result.failedPath = set[i].path;
            result.reason = files[i].reason();
            return result;
        }
    }

    img.programFileName = result.path;
    if (!programView || p == 0) {
        if (d > 0) img.dataFileName = result.path;
    } else if (bothMemories(dev)) {
        img.dataFileName = set[1].path;
    }
    return result;
}

} // namespace kestro
