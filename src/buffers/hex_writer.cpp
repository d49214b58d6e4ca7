#include "buffers/hex_writer.h"

#include "buffers/atomic_file.h"
#include "buffers/hex_format.h"
#include "buffers/images.h"

#include <algorithm>
#include <array>

namespace kestro {

namespace {

using namespace hex;

constexpr uint32_t kLine = 16;

class RecordWriter {
public:
    explicit RecordWriter(std::string& out) : out_(out) {}

    void data(uint32_t address, const uint8_t* bytes, size_t n) { record(kTypeData, address, bytes, n); }

    void upperAddress(uint8_t upper) {
        const uint8_t b[2] = {0x00, upper};
        record(kTypeLinear, 0, b, 2);
    }

    void end() { out_ += ":00000001FF\r\n"; }

private:
    void put(uint8_t b) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        out_.push_back(kDigits[b >> 4]);
        out_.push_back(kDigits[b & 0x0F]);
        sum_ = static_cast<uint8_t>(sum_ + b);
    }

    void record(uint8_t type, uint32_t address, const uint8_t* bytes, size_t n) {
        sum_ = 0;
        out_.push_back(':');
        put(static_cast<uint8_t>(n));
        put(static_cast<uint8_t>(address >> 8));
        put(static_cast<uint8_t>(address));
        put(type);
        for (size_t i = 0; i < n; ++i) put(bytes[i]);
        put(static_cast<uint8_t>(-sum_));
        out_ += "\r\n";
    }

    std::string& out_;
    uint8_t sum_ = 0;
};

// Program memory in 16-byte lines; each run of non-blank words is one record.
void writeProgram(RecordWriter& w, const Images& img, const SelectedDevice& dev) {
    const uint8_t blankHigh = picHighByteMask(dev.index);
    const uint32_t size = std::min(dev.programSize, kProgramBufferSize);
    for (uint32_t line = 0; line < size; line += kLine) {
        if (line >= 0x10000) w.upperAddress(static_cast<uint8_t>(line >> 16));
        std::array<uint8_t, kLine> bytes{};
        for (uint32_t i = 0; i < kLine; i += 2) { // back to file order, low byte first
            bytes[i] = img.program[line + i + 1];
            bytes[i + 1] = img.program[line + i];
        }
        uint32_t w0 = 0;
        while (w0 < kLine / 2) {
            const auto blank = [&](uint32_t k) {
                return bytes[2 * k] == 0xFF && bytes[2 * k + 1] == blankHigh;
            };
            if (blank(w0)) {
                ++w0;
                continue;
            }
            uint32_t w1 = w0;
            while (w1 < kLine / 2 && !blank(w1)) ++w1;
            w.data(line + 2 * w0, &bytes[2 * w0], 2 * (w1 - w0));
            w0 = w1;
        }
    }
}

// Four ID words, each carrying one hex digit of the packed ID in its low byte.
void writePackedId(RecordWriter& w, const Images& img, uint32_t address) {
    const uint8_t a = img.idBlock[0], b = img.idBlock[1];
    const uint8_t words[8] = {static_cast<uint8_t>(a >> 4), 0, static_cast<uint8_t>(a & 0x0F), 0,
                              static_cast<uint8_t>(b >> 4), 0, static_cast<uint8_t>(b & 0x0F), 0};
    w.data(address, words, sizeof words);
}

void writeEeprom(RecordWriter& w, const Images& img, uint32_t dataSize) {
    const uint32_t size = std::min(dataSize, kDataBufferSize);
    for (uint32_t k = 0; 8 * k < size; ++k) {
        std::array<uint8_t, 16> words{};
        bool used = false;
        for (uint32_t j = 0; j < 8; ++j) {
            const uint32_t at = 8 * k + j;
            const uint8_t v = at < kDataBufferSize ? img.data[at] : 0xFF;
            words[2 * j] = v;
            used = used || v != 0xFF;
        }
        if (used) w.data(kPicEepromFirst + 16 * k, words.data(), words.size());
    }
}

// PIC18 data EEPROM: one byte per address from 0xF00000, in 16-byte lines; a line of
// 0xFF bytes is left out, and so is the address record when every line is.
void writePic18Eeprom(RecordWriter& w, const Images& img, uint32_t dataSize) {
    const uint32_t size = std::min(dataSize, kDataBufferSize);
    bool upper = false;
    for (uint32_t line = 0; line < size; line += kLine) {
        const uint32_t n = std::min(kLine, size - line);
        const uint8_t* bytes = &img.data[line];
        if (std::all_of(bytes, bytes + n, [](uint8_t v) { return v == 0xFF; })) continue;
        if (!upper) w.upperAddress(kPic18EepromUpper);
        upper = true;
        w.data(line, bytes, n);
    }
}

// Writes a finished text; the previous file stays as it was when that fails.
bool writeText(const std::string& path, const std::string& text, std::string* reason) {
    AtomicFile f;
    bool ok = f.create(path, linkTargetIsIntelHex);
    if (ok) {
        f.write(text.data(), text.size());
        ok = f.commit();
    }
    if (!ok && reason) *reason = f.reason();
    return ok;
}

} // namespace

std::string hexSavePath(const PathParts& path) {
    return extensionIs(path, ".HEX") ? joinPath(path) : withExtension(path, ".hex");
}

std::string intelHexText(const Images& img, const SelectedDevice& dev, bool withProgram) {
    std::string out;
    // 45 characters for each full line of 16 bytes, plus a few short records.
    out.reserve(static_cast<size_t>(dev.programSize / kLine + 64) * 45);
    RecordWriter w(out);
    switch (picCoreOf(dev.index)) {
    case PicCore::Core12:
        if (withProgram) writeProgram(w, img, dev);
        writePackedId(w, img, dev.programSize);
        w.data(k12BitConfigAddress, img.configBlock.data(), 2);
        break;
    case PicCore::Core14:
        if (withProgram) writeProgram(w, img, dev);
        writePackedId(w, img, kPicIdAddress);
        w.data(kPicConfigAddress, img.configBlock.data(), 2);
        if (dev.dataSize > 0) writeEeprom(w, img, dev.dataSize);
        break;
    case PicCore::Pic18:
        w.upperAddress(0x00);
        if (withProgram) writeProgram(w, img, dev);
        w.upperAddress(kPic18ConfigUpper);
        w.data(0, img.configBlock.data(), kPic18ConfigBytes);
        w.upperAddress(kPic18IdUpper);
        w.data(0, img.idBlock.data(), kPic18IdBytes);
        if (dev.dataSize > 0) writePic18Eeprom(w, img, dev.dataSize);
        break;
    case PicCore::None: break;
    }
    w.end();
    return out;
}

bool writeIntelHex(const std::string& path, const Images& img, const SelectedDevice& dev,
                   bool withProgram, std::string* reason) {
    return writeText(path, intelHexText(img, dev, withProgram), reason);
}

std::string intelHexBytesText(std::span<const uint8_t> bytes, uint32_t first) {
    std::string out;
    out.reserve((bytes.size() / kLine + 2) * 45 + bytes.size() / 0x10000 * 17);
    RecordWriter w(out);
    uint32_t upper = 0;
    for (size_t i = 0; i < bytes.size();) {
        const uint32_t address = first + static_cast<uint32_t>(i);
        if (address >> 16 != upper) {
            upper = address >> 16;
            w.upperAddress(static_cast<uint8_t>(upper)); // at most 1 MiB: the high byte stays 00
        }
        // Up to the next 16-byte line, so that no record crosses 64 KiB.
        const size_t n = std::min<size_t>(kLine - address % kLine, bytes.size() - i);
        w.data(address & 0xFFFF, &bytes[i], n);
        i += n;
    }
    w.end();
    return out;
}

bool writeIntelHexBytes(const std::string& path, std::span<const uint8_t> bytes, uint32_t first,
                        std::string* reason) {
    return writeText(path, intelHexBytesText(bytes, first), reason);
}

} // namespace kestro
