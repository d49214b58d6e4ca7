#include "buffers/hex_reader.h"

#include "buffers/hex_format.h"
#include "buffers/hex_input.h"
#include "buffers/images.h"
#include "buffers/regular_file.h"

#include <array>
#include <cerrno>
#include <optional>
#include <vector>
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

// Reads the data of an extended segment or linear address record; a record of
// another length leaves the base as it was.
bool readBase(RecordReader& r, uint8_t type, uint8_t n, uint32_t& base) {
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

// Byte reader. Extended segment and linear address records move the records that
// follow, so that images above 64 KiB load where the file puts them.
HexError readBytes(HexInput& in, uint8_t* dst, uint32_t size, LoadTally* tally = nullptr) {
    uint32_t base = 0;
    return readRecords(in, [&](RecordReader& r, uint8_t type, uint32_t address, uint8_t n) {
        if (type == kTypeSegment || type == kTypeLinear) return readBase(r, type, n, base);
        const bool store = isMemoryRecord(type);
        const uint64_t start = uint64_t{base} + address; // no wrap to 0 at the top of 4 GiB
        for (unsigned i = 0; i < n; ++i) {
            uint8_t v = 0;
            if (!r.byte(v)) return false;
            if (!store) continue;
            if (start + i < size) dst[start + i] = v;
            if (tally) tally->add(start + i, v);
        }
        return true;
    });
}

// The areas of a PIC file by full byte address. Each byte goes where its own address
// says, whatever record it comes in, so merged or split records load the same.
enum class Target : uint8_t { Program, Data, Id, Config };
struct Area {
    uint32_t first, last; // inclusive
    Target target;
    uint8_t index;     // target index of `first`
    bool lowBytesOnly; // one byte per word: the high bytes are dropped
};
constexpr Area kPicWordAreas[] = {
    {0, kPicIdAddress - 1, Target::Program, 0, false},
    {kPicIdAddress, kPicIdAddress + 7, Target::Id, kPicIdFirst, true},
    {kPicConfigAddress, kPicConfigAddress + 1, Target::Config, 0, false},
    {kPicEepromFirst, kPicEepromLast, Target::Data, 0, true},
};
// Bytes past the 8 ID and 14 configuration bytes belong to no area: dropped.
constexpr Area kPic18Areas[] = {
    {0, kProgramBufferSize - 1, Target::Program, 0, false},
    {kPic18IdAddress, kPic18IdAddress + kPic18IdBytes - 1, Target::Id, 0, false},
    {kPic18ConfigAddress, kPic18ConfigAddress + kPic18ConfigBytes - 1, Target::Config, 0, false},
    {kPic18EepromAddress, kPic18EepromAddress + kDataBufferSize - 1, Target::Data, 0, false},
};

std::span<const Area> areasOf(HexReader reader) {
    if (reader == HexReader::PicWords) return kPicWordAreas;
    return kPic18Areas;
}

const Area* areaAt(std::span<const Area> areas, uint64_t a) {
    for (const Area& area : areas)
        if (a >= area.first && a <= area.last) return &area;
    return nullptr;
}

// The index within its target of the byte at `a`; -1 for a dropped high byte.
int64_t indexIn(const Area& area, uint64_t a) {
    const uint64_t offset = a - area.first;
    if (!area.lowBytesOnly) return static_cast<int64_t>(area.index + offset);
    return offset % 2 ? -1 : static_cast<int64_t>(area.index + offset / 2);
}

void placeInAreas(std::span<const Area> areas, Images& img, uint64_t a, uint8_t v) {
    const Area* area = areaAt(areas, a);
    if (!area) return;
    const int64_t k = indexIn(*area, a);
    if (k < 0) return;
    const auto at = static_cast<size_t>(k);
    switch (area->target) {
    case Target::Program: img.program[at] = v; break;
    case Target::Data: if (at < kDataBufferSize) img.data[at] = v; break;
    case Target::Id:
        if (at < kFuseBlockSize) img.idBlock[at] = v;
        img.fusesLoaded = true;
        break;
    case Target::Config:
        if (at < kFuseBlockSize) img.configBlock[at] = v;
        img.fusesLoaded = true;
        break;
    }
}

// The PIC readers. Data records are placed byte by byte at base + address, with any
// byte count. The PIC word reader handles every type but the end record, the
// addresses and 03/05 as data; the PIC18 reader knows data and linear address
// records only and consumes nothing of another type, which then fails.
HexError readPic(HexReader reader, HexInput& in, Images& img, LoadTally* tally) {
    const std::span<const Area> areas = areasOf(reader);
    const bool pic18 = reader == HexReader::Pic18;
    uint32_t base = 0;
    return readRecords(in, [&](RecordReader& r, uint8_t type, uint32_t address, uint8_t n) {
        if (type == kTypeLinear || (!pic18 && type == kTypeSegment)) return readBase(r, type, n, base);
        if (pic18 && type != kTypeData) return true;
        const bool store = isMemoryRecord(type);
        const uint64_t start = uint64_t{base} + address;
        for (unsigned i = 0; i < n; ++i) {
            uint8_t v = 0;
            if (!r.byte(v)) return false;
            if (!store) continue;
            placeInAreas(areas, img, start + i, v);
            if (tally) tally->add(start + i, v);
        }
        return true;
    });
}

// Words a 14-bit or PIC18 file may carry that are the chip's own, not the
// programmer's to write: left out whatever they hold.
struct KeptOut {
    PicCore core;
    uint32_t first, last; // file byte addresses, inclusive
};
constexpr KeptOut kKeptOut[] = {
    {PicCore::Core14, kPicIdAddress + 8, kPicConfigAddress - 1}, // 0x2004, 0x2005; device ID 0x2006
    {PicCore::Pic18, kPic18DeviceIdAddress, kPic18DeviceIdAddress + 1},
};

enum class Fate : uint8_t { Placed, Dropped, Outside };
struct Sorted {
    Fate fate;
    ImageArea area = ImageArea::Program;
    uint32_t index = 0;
};

// Where a file byte belongs for this part: the memories in use by its size, the
// upper areas its group has. The erased fill is the tally's to judge.
Sorted sortFileByte(HexReader reader, const SelectedDevice& dev, uint64_t a) {
    const uint32_t p = dev.programSize, d = dev.dataSize;
    if (reader == HexReader::Bytes) {
        if (a < (p > 0 ? p : d)) return {Fate::Placed, ImageArea::Program, static_cast<uint32_t>(a)};
        return {Fate::Outside};
    }
    const PicCore core = picCoreOf(dev.index);
    if (a < p) return {Fate::Placed, ImageArea::Program, static_cast<uint32_t>(a)};
    if (core == PicCore::Core12) {
        // The ID words just past the program memory, the configuration word at 0xFFF;
        // the ID keeps the low bytes.
        if (a < uint64_t{p} + 8) {
            if (a % 2) return {Fate::Dropped};
            return {Fate::Placed, ImageArea::Id, static_cast<uint32_t>(kPicIdFirst + (a - p) / 2)};
        }
        if (a == k12BitConfigAddress || a == k12BitConfigAddress + 1)
            return {Fate::Placed, ImageArea::Config, static_cast<uint32_t>(a - k12BitConfigAddress)};
        return {Fate::Outside};
    }
    for (const KeptOut& k : kKeptOut)
        if (k.core == core && a >= k.first && a <= k.last) return {Fate::Dropped};
    const Area* area = areaAt(areasOf(reader), a);
    if (!area || area->target == Target::Program) return {Fate::Outside};
    // A high byte of a word that keeps one byte goes with its word.
    const uint64_t word = area->lowBytesOnly ? a & ~uint64_t{1} : a;
    const auto k = static_cast<uint32_t>(indexIn(*area, word));
    switch (area->target) {
    case Target::Data:
        if (k >= d) return {Fate::Outside};
        return word != a ? Sorted{Fate::Dropped} : Sorted{Fate::Placed, ImageArea::Data, k};
    case Target::Id:
        return word != a ? Sorted{Fate::Dropped} : Sorted{Fate::Placed, ImageArea::Id, k};
    case Target::Config: return {Fate::Placed, ImageArea::Config, k};
    case Target::Program: break;
    }
    return {Fate::Outside};
}

void finishPicWords(Images& img, const SelectedDevice& dev) {
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
        // A 12-bit word never leaves both bytes erased: the file gave the word.
        if (img.configBlock[0] != 0xFF || img.configBlock[1] != 0xFF) img.fusesLoaded = true;
    }
    id[0] = static_cast<uint8_t>(id[8] * 16 + id[9]);
    id[1] = static_cast<uint8_t>(id[10] * 16 + id[11]);
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

const char* hexErrorWhat(HexError e, bool atEnd) {
    switch (e) {
    case HexError::None: return "";
    case HexError::CantOpen: return "cannot be opened";
    case HexError::ExpectedColon: return atEnd ? "the file ends without an end record" : "':' expected";
    case HexError::HexDigitExpected: return "hex digit expected";
    case HexError::UnexpectedEof: return "unexpected end of file";
    case HexError::Checksum: return "checksum error";
    }
    return "";
}

bool namedAsIntelHex(const PathParts& parts) {
    return extensionIs(parts, ".HEX") || extensionIs(parts, ".IHX") || extensionIs(parts, ".IHEX");
}

HexReader hexReaderFor(int deviceIndex) {
    switch (picCoreOf(deviceIndex)) {
    case PicCore::Core12:
    case PicCore::Core14: return HexReader::PicWords;
    case PicCore::Pic18: return HexReader::Pic18;
    default: return HexReader::Bytes;
    }
}

HexError readIntelHex(HexReader reader, HexInput& in, Images& img, const SelectedDevice& dev,
                      LoadReport* report) {
    std::optional<LoadTally> tally;
    if (report) {
        *report = {};
        report->kind = LoadReport::Hex;
        tally.emplace(reader, dev, *report);
    }
    LoadTally* t = tally ? &*tally : nullptr;
    HexError e;
    if (reader == HexReader::Bytes) {
        e = readBytes(in, img.program.data(), kProgramBufferSize, t);
    } else {
        e = readPic(reader, in, img, t);
        if (e == HexError::None) finishHexLoad(reader, img, dev);
    }
    if (report && e != HexError::None) {
        report->errorLine = in.lastLine();
        report->errorWhat = hexErrorWhat(e, in.atEnd());
    }
    return e;
}

void placeFileByte(HexReader reader, Images& img, uint64_t address, uint8_t value) {
    if (reader == HexReader::Bytes) {
        if (address < kProgramBufferSize) img.program[address] = value;
    } else {
        placeInAreas(areasOf(reader), img, address, value);
    }
}

LoadTally::LoadTally(HexReader reader, const SelectedDevice& dev, LoadReport& report)
    : reader_(reader), dev_(dev), report_(report), blankHigh_(picHighByteMask(dev.index)) {}

void LoadTally::add(uint64_t address, uint8_t value) {
    const Sorted s = sortFileByte(reader_, dev_, address);
    // Erased bytes, and the high byte of an erased word after its low byte, are fill.
    const bool erasedWord = reader_ == HexReader::PicWords && address % 2 && value == blankHigh_ &&
                            previous_ == address - 1 && previousValue_ == 0xFF;
    const bool erased = value == 0xFF || erasedWord;
    previous_ = address;
    previousValue_ = value;
    if (s.fate == Fate::Placed) report_.place(s.area, s.index);
    else if (s.fate == Fate::Dropped || erased) report_.drop();
    else report_.outside(address);
}

void finishHexLoad(HexReader reader, Images& img, const SelectedDevice& dev) {
    if (reader == HexReader::PicWords) finishPicWords(img, dev);
}

bool fileReadsAsIntelHex(const std::string& path) {
    constexpr size_t kHexTextLimit = 8u << 20; // more than the text of the largest image
    std::vector<uint8_t> text;
    if (!readRegularFile(path, text, 1) || text.empty() || text[0] != ':') return false;
    return readRegularFile(path, text, kHexTextLimit + 1) && text.size() <= kHexTextLimit &&
           isIntelHexText(text);
}

bool isIntelHexText(std::span<const uint8_t> text) {
    HexInput in(text);
    return readRecords(in, [](RecordReader& r, uint8_t, uint32_t, uint8_t n) {
               uint8_t v = 0;
               for (unsigned i = 0; i < n; ++i)
                   if (!r.byte(v)) return false;
               return true;
           }) == HexError::None;
}

HexError readIntelHexBytes(std::span<const uint8_t> text, uint8_t* dst, uint32_t size) {
    HexInput in(text);
    return readBytes(in, dst, size);
}

HexError loadIntelHex(HexReader reader, const std::string& path, Images& img,
                      const SelectedDevice& dev, LoadReport* report) {
    clearImages(img);
    const int fd = openRegularFile(path);
    if (fd < 0) return HexError::CantOpen;
    HexError e;
    {
        HexInput in(fd);
        e = readIntelHex(reader, in, img, dev, report);
    }
    ::close(fd);
    return e;
}

HexError loadIntelHex(HexReader reader, std::span<const uint8_t> text, Images& img,
                      const SelectedDevice& dev, LoadReport* report) {
    clearImages(img);
    HexInput in(text);
    return readIntelHex(reader, in, img, dev, report);
}

} // namespace kestro
