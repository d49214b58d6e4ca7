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

bool saveBytes(const std::string& path, const uint8_t* bytes, uint32_t size) {
    AtomicFile f;
    if (!f.create(path)) return false;
    f.write(bytes, size);
    return f.commit();
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
    BinarySave result{joinPath(parts), true};
    img.programFileName = result.path;

    const uint32_t p = dev.programSize, d = dev.dataSize;
    const bool programView = img.view == ProgramView || !bothMemories(dev);
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (p > 0 && programView) {
        bytes = img.program.data(), size = p;
    } else if (p > 0) {
        bytes = img.data.data(), size = d;
    } else {
        bytes = img.program.data(), size = d; // single memory; nothing for the "unknown" row
    }
    if (!saveBytes(result.path, bytes, size)) {
        result.ok = false;
        return result;
    }
    if (!programView || p == 0) {
        if (d > 0) img.dataFileName = result.path;
        return result;
    }

    if (bothMemories(dev)) {
        const std::string eepName = withExtension(parts, ".eep");
        AtomicFile eep;
        if (eep.create(eepName)) {
            eep.write(img.data.data(), d);
            if (eep.commit()) img.dataFileName = eepName;
            else result.ok = false;
        }
    }
    if (writesFuseFile(dev.index)) {
        AtomicFile fus;
        if (fus.create(withExtension(parts, ".fus"))) {
            const std::array<uint8_t, 2> pair = fusePair();
            const uint8_t out[2] = {pair[1], pair[0]};
            fus.write(out, 2);
            if (!fus.commit()) result.ok = false;
        }
    }
    return result;
}

} // namespace kestro
