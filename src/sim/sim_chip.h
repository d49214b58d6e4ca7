#pragma once
// The chip in the simulated adapter's socket: its memories, fuse bytes, lock byte and
// signature.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// A blank chip without a signature that takes the shape of whatever chip the program
// names. A chip with a signature answers with its own whatever the probe, as in a
// real socket, so only a concrete chip of that kind passes identification.
inline constexpr int kAnyChip = -1;
inline constexpr int kEmptySocket = -2; // nothing in the socket: everything reads 0xFF

struct SimChip {
    int device = kAnyChip;
    std::vector<uint8_t> memory; // program memory, or the whole of a single-memory chip
    std::vector<uint8_t> data;   // data memory of a chip that has two
    std::array<uint8_t, 32> fuses{}; // 4 used by most chips, 32 by the PIC18
    uint8_t lockByte = 0;

    // An erased chip of that kind: memories sized after the catalogue (the largest
    // buffers for kAnyChip, none for an empty socket), all 0xFF.
    static SimChip blank(int device);
    void erase();

    // The three signature bytes the chip reports, whatever device the program probes
    // with; 0xFF 0xFF 0xFF for chips without a signature.
    std::array<uint8_t, 3> signature() const;
    // The memory a transfer command works on: the main memory for program-memory
    // commands and for single-memory chips, the data memory otherwise.
    std::vector<uint8_t>& memoryFor(bool programCommand, int addressedDevice);
};

// How many fuse bytes the chip uses: 32 for the PIC18 (and the chip of any shape,
// which may be asked to be one), 4 for the others.
size_t fuseCount(const SimChip& chip);

// Writes the chip as raw files beside each other: PREFIX.mem (the main memory),
// PREFIX.data (the data memory, only when the chip has one), PREFIX.fuses (the fuse
// bytes it uses) and PREFIX.lock (the lock byte). False with a reason when a file
// cannot be written.
bool saveChip(const SimChip& chip, const std::string& prefix, std::string& error);

// Parses a chip choice: "any", "none", or a device name as the menus show it, in any
// case, such as "AT89C52" ("29C010A" is row 170, "29F010" row 172).
std::optional<int> chipByName(std::string_view name);

// Fills memory with a recognisable pattern: byte i holds i ^ (i >> 8).
void fillPattern(std::vector<uint8_t>& memory);

// Fills a memory from "blank" (left erased), "pattern" or a raw file, whose bytes
// beyond the memory are left out. The number of bytes the file holds (0 for the
// other two), nothing when it cannot be read.
std::optional<size_t> loadMemory(std::vector<uint8_t>& memory, const std::string& source);

} // namespace kestro
