#pragma once
// What a load did with the bytes of a file: where in the part's memories it placed
// them, how many it left out on purpose and how many belong to addresses the part
// does not have. The loader fills it in the same pass that places the bytes, so
// whoever judges the file reads the loader's own decisions.

#include <cstdint>
#include <vector>

namespace kestro {

enum class ImageArea : uint8_t { Program, Data, Id, Config };

// Offsets first..last (inclusive) of an area: the program or data buffer, the ID or
// configuration block. PIC program words are counted in file order, low byte first.
struct Extent {
    ImageArea area;
    uint32_t first;
    uint32_t last;

    friend bool operator==(const Extent&, const Extent&) = default;
};

struct LoadReport {
    enum Kind : uint8_t { Hex, Binary, Elf } kind = Binary;
    std::vector<Extent> placed; // in file order, neighbouring bytes joined
    uint64_t placedBytes = 0;
    // Left out on purpose: erased bytes and words of the part's width at addresses it
    // does not have (a tool's fill), the device ID and reserved words, the high bytes
    // of words that keep one byte, the lock and signature of an AVR executable.
    uint64_t droppedBytes = 0;
    // Data for addresses the part does not have; the lowest of them by the file's
    // addressing (a binary image: the first byte past the memory it fills).
    uint64_t outsideBytes = 0;
    uint64_t firstOutside = 0;
    uint64_t fileBytes = 0; // binary: the main file's length
    bool hexText = false;   // binary: the file reads as Intel HEX, which its owner rarely means
    // Intel HEX: the line an error was found on (from 1) and, in a few words, what is
    // wrong there.
    uint32_t errorLine = 0;
    const char* errorWhat = "";

    void place(ImageArea area, uint32_t offset) {
        ++placedBytes;
        if (!placed.empty() && placed.back().area == area && placed.back().last + 1 == offset)
            ++placed.back().last;
        else
            placed.push_back({area, offset, offset});
    }
    void placeRun(ImageArea area, uint32_t first, uint32_t count) {
        if (count == 0) return;
        placedBytes += count;
        placed.push_back({area, first, first + count - 1});
    }
    void drop() { ++droppedBytes; }
    void outside(uint64_t address, uint64_t count = 1) {
        if (outsideBytes == 0 || address < firstOutside) firstOutside = address;
        outsideBytes += count;
    }
    // The file held no data bytes at all.
    bool empty() const { return placedBytes + droppedBytes + outsideBytes == 0; }
};

} // namespace kestro
