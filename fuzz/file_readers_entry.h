#pragma once
// One input through the Intel HEX readers or the binary loader, with the checks that
// must hold for any file. Shared by the libFuzzer target and the corpus replay test;
// a broken check aborts.
//
// Input layout: byte 0 picks the loader (bits 0-1: byte reader, PIC word reader,
// PIC18 reader, binary loader or, with bit 5 set, the ELF loader) and, for binary
// loads, the view (bit 2) and which side files exist (bits 3, 4); byte 1 picks the
// device within the loader's range; the rest is the file. A binary load splits the
// rest into main file, `.eep` and `.fus` at the positions given by bytes 2 and 3.

#include "buffers/binary_file.h"
#include "buffers/elf_file.h"
#include "buffers/hex_reader.h"
#include "buffers/path_parts.h"
#include "devices/catalogue.h"
#include "devices/traits.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestro::fuzz {

inline void require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "file readers: %s\n", what);
        std::abort();
    }
}

inline Images& scratchImages(int which) {
    static auto a = std::make_unique<Images>();
    static auto b = std::make_unique<Images>();
    return which == 0 ? *a : *b;
}

inline SelectedDevice deviceAt(int index) {
    SelectedDevice d;
    d.index = index;
    catalogueLookup(d);
    return d;
}

inline bool sameImages(const Images& a, const Images& b) {
    return a.program == b.program && a.data == b.data && a.idBlock == b.idBlock &&
           a.configBlock == b.configBlock;
}

inline void runHex(HexReader reader, int deviceIndex, std::span<const uint8_t> text) {
    const SelectedDevice dev = deviceAt(deviceIndex);
    Images& img = scratchImages(0);
    img.view = DataView;
    img.programFileName = "p";
    const HexError e = loadIntelHex(reader, text, img, dev);
    require(img.view == DataView && img.programFileName == "p", "reader touched more than images");
    if (reader == HexReader::PicWords)
        require(std::all_of(img.idBlock.begin() + 2, img.idBlock.begin() + 8,
                            [](uint8_t v) { return v == 0xFF; }),
                "PIC ID bytes 2..7 written");
    // Line ends: the same text with LF turned into CR LF reads the same.
    if (std::find(text.begin(), text.end(), '\r') == text.end()) {
        std::vector<uint8_t> crlf;
        crlf.reserve(text.size() * 2);
        for (uint8_t c : text) {
            if (c == '\n') crlf.push_back('\r');
            crlf.push_back(c);
        }
        Images& other = scratchImages(1);
        const HexError e2 = loadIntelHex(reader, crlf, other, dev);
        require(e == e2, "CR LF changed the result");
        require(sameImages(img, other), "CR LF changed the images");
    }
}

inline const std::string& scratchFolder() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/kestro-fuzz-XXXXXX";
        const char* d = ::mkdtemp(tmpl);
        require(d != nullptr, "no temporary folder");
        return std::string(d) + "/";
    }();
    return dir;
}

inline void putFile(const std::string& path, bool exists, std::span<const uint8_t> bytes) {
    ::unlink(path.c_str());
    if (!exists) return;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr, "cannot write scratch file");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline void runBinary(uint8_t mode, uint8_t device, std::span<const uint8_t> rest) {
    const SelectedDevice dev = deviceAt(device % (kUnknownDevice + 1));
    size_t a = 0, b = 0;
    if (rest.size() >= 2) {
        a = rest[0], b = rest[1];
        rest = rest.subspan(2);
    }
    a = std::min(a * 64, rest.size());
    b = std::min(a + b, rest.size());
    const PathParts parts = splitPath(scratchFolder() + "image.bin");
    putFile(joinPath(parts), true, rest.subspan(0, a));
    putFile(withExtension(parts, ".eep"), mode & 0x08, rest.subspan(a, b - a));
    putFile(withExtension(parts, ".fus"), mode & 0x10, rest.subspan(b));

    Images& img = scratchImages(0);
    img.program.fill(0xA5);
    img.data.fill(0xA5);
    img.idBlock.fill(0xA5);
    img.configBlock.fill(0xA5);
    img.view = (mode & 0x04) ? DataView : ProgramView;
    require(loadBinary(parts, img, dev), "binary file did not open");
    // Nothing beyond the memory in use changes.
    const bool both = dev.programSize > 0 && dev.dataSize > 0;
    const uint32_t programUsed = dev.programSize > 0 ? (both && img.view == DataView ? 0 : dev.programSize)
                                                     : dev.dataSize;
    require(std::all_of(img.program.begin() + programUsed, img.program.end(),
                        [](uint8_t v) { return v == 0xA5; }),
            "program buffer written past its size");
    const uint32_t dataUsed = both ? dev.dataSize : 0;
    require(std::all_of(img.data.begin() + dataUsed, img.data.end(),
                        [](uint8_t v) { return v == 0xA5; }),
            "data buffer written past its size");
    require(std::all_of(img.idBlock.begin(), img.idBlock.end(), [](uint8_t v) { return v == 0xA5; }),
            "ID block written by a binary load");
    require(std::all_of(img.configBlock.begin() + 2, img.configBlock.end(),
                        [](uint8_t v) { return v == 0xA5; }),
            "configuration block written past the fuse pair");
}

inline void fillImages(Images& img, uint8_t v) {
    img.program.fill(v), img.data.fill(v), img.idBlock.fill(v), img.configBlock.fill(v);
}

// An ELF file loads whole or not at all, and an AVR part's flash never past its size.
inline void runElf(uint8_t device, std::span<const uint8_t> file) {
    const SelectedDevice dev = deviceAt(device % (kUnknownDevice + 1));
    Images& img = scratchImages(0);
    fillImages(img, 0xA5);
    img.view = DataView;
    const std::string e = loadElf(file, img, dev);
    require(img.view == DataView, "ELF loader touched more than images");
    const auto all = [](const auto& a, uint8_t v) {
        return std::all_of(a.begin(), a.end(), [v](uint8_t x) { return x == v; });
    };
    if (!e.empty()) {
        require(all(img.program, 0xA5) && all(img.data, 0xA5) && all(img.idBlock, 0xA5) &&
                    all(img.configBlock, 0xA5),
                "refused ELF file changed the images");
        return;
    }
    if (traitsOf(dev.index).avr)
        require(std::all_of(img.program.begin() + dev.programSize, img.program.end(),
                            [](uint8_t v) { return v == 0xFF; }),
                "AVR flash written past its size");
}

inline int runFileReadersInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0], device = data[1];
    const std::span<const uint8_t> rest(data + 2, size - 2);
    switch (mode & 0x03) {
    case 0: runHex(HexReader::Bytes, device % (kUnknownDevice + 1), rest); break;
    case 1: runHex(HexReader::PicWords, 46 + device % 46, rest); break;
    case 2: runHex(HexReader::Pic18, 92 + device % 10, rest); break;
    default:
        if (mode & 0x20) runElf(device, rest);
        else runBinary(mode, device, rest);
        break;
    }
    return 0;
}

} // namespace kestro::fuzz
