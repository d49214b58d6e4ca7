#include "buffers/hex_reader.h"

#include "buffers/hex_format.h"
#include "buffers/hex_input.h"
#include "buffers/images.h"
#include "buffers/regular_file.h"

#include <array>
#include <cerrno>
#include <unistd.h>

namespace kestro {

namespace {

// Only "0".."9" and capital "A".."F" are digits of this dialect.
constexpr std::array<int8_t, 256> kDigitValue = [] {
    std::array<int8_t, 256> t{};
    t.fill(-1);
    for (int c = '0'; c <= '9'; ++c) t[static_cast<size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
    return t;
}();

using namespace hex;

// Reads hex bytes and keeps the running checksum of the current record.
class RecordReader {
public:
    explicit RecordReader(HexInput& in) : in_(in) {}

    bool byte(uint8_t& out) {
        const int hi = digit();
        if (hi < 0) return false;
        const int lo = digit();
        if (lo < 0) return false;
        out = static_cast<uint8_t>(hi << 4 | lo);
        sum += out;
        return true;
    }

    uint8_t sum = 0;
    HexError error = HexError::None;

private:
    int digit() {
        const int c = in_.get();
        if (c == HexInput::kEof) {
            error = HexError::UnexpectedEof;
            return -1;
        }
        const int v = kDigitValue[static_cast<uint8_t>(c)];
        if (v < 0) error = HexError::HexDigitExpected;
        return v;
    }

    HexInput& in_;
};

// Records that carry no memory contents: the end record and the address records.
bool isMemoryRecord(uint8_t type) { return type == kTypeData || type > kTypeStartLinear; }

// The loop all three readers share. `data` consumes the data bytes of a record the
// way its reader does and returns false after a read error.
template <class DataFn>
HexError readRecords(HexInput& in, DataFn&& data) {
    RecordReader r(in);
    for (;;) {
        if (in.get() != ':') return HexError::ExpectedColon;
        r.sum = 0;
        uint8_t count = 0, hi = 0, lo = 0, type = 0, check = 0;
        if (!r.byte(count) || !r.byte(hi) || !r.byte(lo) || !r.byte(type)) return r.error;
        const uint32_t address = static_cast<uint32_t>(hi) << 8 | lo;
        if (!data(r, type, address, count)) return r.error;
        if (!r.byte(check)) return r.error;
        if (r.sum != 0) return HexError::Checksum;
        in.get(); // the line end
        if (type == kTypeEnd) return HexError::None;
    }
}

// Byte reader. Extended segment and linear address records move the records that
// follow, so that images above 64 KiB load where the file puts them.
HexError readBytes(HexInput& in, Images& img) {
    uint32_t base = 0;
    return readRecords(in, [&](RecordReader& r, uint8_t type, uint32_t address, uint8_t n) {
        if (type == kTypeSegment || type == kTypeLinear) {
            uint8_t b[2] = {};
            for (unsigned i = 0; i < n; ++i) {
                uint8_t v = 0;
                if (!r.byte(v)) return false;
                if (i < 2) b[i] = v;
            }
            if (n == 2) {
                const uint32_t value = static_cast<uint32_t>(b[0]) << 8 | b[1];
                base = type == kTypeLinear ? value << 16 : value << 4;
            }
            return true;
        }
        const bool store = isMemoryRecord(type);
        const uint64_t start = uint64_t{base} + address; // no wrap to 0 at the top of 4 GiB
        for (unsigned i = 0; i < n; ++i) {
            uint8_t v = 0;
            if (!r.byte(v)) return false;
            if (store && start + i < kProgramBufferSize) img.program[start + i] = v;
        }
        return true;
    });
}

// 12-bit and 14-bit PIC: program words, ID words, configuration word, data EEPROM.
HexError readPicWords(HexInput& in, Images& img, const SelectedDevice& dev) {
    const HexError e =
        readRecords(in, [&](RecordReader& r, uint8_t type, uint32_t a, uint8_t n) {
            const bool store = isMemoryRecord(type);
            const unsigned count = n / 2 * 2u;
            for (unsigned i = 0; i < count; ++i) {
                uint8_t v = 0;
                if (!r.byte(v)) return false;
                if (!store) continue;
                const bool low = i % 2 == 0;
                if (a < kPicIdAddress) {
                    img.program[a + i] = v;
                } else if (a >= kPicEepromFirst && a <= kPicEepromLast) {
                    const uint32_t index = (a - kPicEepromFirst) / 2 + i / 2;
                    if (low && index < kDataBufferSize) img.data[index] = v;
                } else if (a == kPicIdAddress) {
                    // A record longer than the ID block drops its surplus.
                    if (low && kPicIdFirst + i / 2 < kFuseBlockSize) img.idBlock[kPicIdFirst + i / 2] = v;
                } else if (a == kPicConfigAddress) {
                    if (i < kFuseBlockSize) img.configBlock[i] = v;
                }
            }
            return true;
        });
    if (e != HexError::None) return e;
    auto& id = img.idBlock;
    if (picCoreOf(dev.index) == PicCore::Core12) {
        // The 12-bit core keeps its ID words just past the program memory and its
        // configuration word at word 0xFFF; both arrive in the program buffer.
        const uint32_t p = dev.programSize;
        for (size_t k = 0; k < 4; ++k) {
            const uint32_t at = p + 2 * static_cast<uint32_t>(k);
            if (at < kProgramBufferSize) id[kPicIdFirst + k] = img.program[at];
        }
        img.configBlock[0] = img.program[k12BitConfigAddress];
        img.configBlock[1] = img.program[k12BitConfigAddress + 1];
    }
    id[0] = static_cast<uint8_t>(id[8] * 16 + id[9]);
    id[1] = static_cast<uint8_t>(id[10] * 16 + id[11]);
    return HexError::None;
}

// PIC18: a type 04 record with upper address 0x0020 or 0x0030 sends the one data
// record that follows it to the ID block or the configuration block.
HexError readPic18(HexInput& in, Images& img) {
    constexpr uint8_t kNone = 0, kIdArea = kPic18IdUpper, kConfigArea = kPic18ConfigUpper;
    uint8_t area = kNone;
    return readRecords(in, [&](RecordReader& r, uint8_t type, uint32_t address, uint8_t n) {
        if (type == kTypeData) {
            const unsigned count = n / 2 * 2u;
            for (unsigned i = 0; i < count; ++i) {
                uint8_t v = 0;
                if (!r.byte(v)) return false;
                if (area == kNone) img.program[address + i] = v;
                else if (i < kFuseBlockSize) (area == kIdArea ? img.idBlock : img.configBlock)[i] = v;
            }
            area = kNone;
        } else if (type == kTypeLinear) {
            uint8_t upperHigh = 0, upperLow = 0;
            if (!r.byte(upperHigh) || !r.byte(upperLow)) return false;
            if (upperLow == kIdArea || upperLow == kConfigArea) area = upperLow;
        }
        return true;
    });
}

} // namespace

bool HexInput::refill() {
    if (fd_ < 0) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buf_, sizeof buf_);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        cur_ = buf_;
        end_ = buf_ + got;
        return true;
    }
}

const char* hexErrorMessage(HexError e) {
    switch (e) {
    case HexError::None: return "";
    case HexError::CantOpen: return "Can't Open File !";
    case HexError::ExpectedColon: return "Incorrect file !\nExpected ':'";
    case HexError::HexDigitExpected: return "Incorrect file !\nHex digit expected";
    case HexError::UnexpectedEof: return "Incorrect file !\nUnexpected EOF";
    case HexError::Checksum: return "Incorrect file !\nChecksum error in file";
    }
    return "";
}

HexReader hexReaderFor(int deviceIndex) {
    switch (picCoreOf(deviceIndex)) {
    case PicCore::Core12:
    case PicCore::Core14: return HexReader::PicWords;
    case PicCore::Pic18: return HexReader::Pic18;
    default: return HexReader::Bytes;
    }
}

HexError readIntelHex(HexReader reader, HexInput& in, Images& img, const SelectedDevice& dev) {
    switch (reader) {
    case HexReader::Bytes: return readBytes(in, img);
    case HexReader::PicWords: return readPicWords(in, img, dev);
    case HexReader::Pic18: return readPic18(in, img);
    }
    return HexError::None;
}

HexError loadIntelHex(HexReader reader, const std::string& path, Images& img,
                      const SelectedDevice& dev) {
    clearImages(img);
    const int fd = openRegularFile(path);
    if (fd < 0) return HexError::CantOpen;
    HexError e;
    {
        HexInput in(fd);
        e = readIntelHex(reader, in, img, dev);
    }
    ::close(fd);
    return e;
}

HexError loadIntelHex(HexReader reader, std::span<const uint8_t> text, Images& img,
                      const SelectedDevice& dev) {
    clearImages(img);
    HexInput in(text);
    return readIntelHex(reader, in, img, dev);
}

} // namespace kestro
