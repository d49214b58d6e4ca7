#pragma once
// The command line's files: the file written is the file named. A name that says
// Intel HEX (".hex", ".ihx", ".ihex", any case) gives Intel HEX for every part, the
// PIC conventions for PIC parts and byte addresses for the others; any other name a
// binary image with its side files named after it. The window's Save keeps its own
// naming (file_commands.h).

#include "buffers/file_commands.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestro {

struct ByteRange {
    uint32_t first, last; // inclusive, in the active image
};

// Writes the image under `path` as its name says. `fusePair` as for Save; `withProgram`
// false leaves a PIC's program memory out of its Intel HEX file. `range` limits a
// byte-addressed Intel HEX file to those bytes; a binary image is always whole.
FileResult exportImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                           const std::function<std::array<uint8_t, 2>()>& fusePair, bool withProgram,
                           std::optional<ByteRange> range);

// A file of this name keeps the data memory of a part with two memories beside its
// program memory: a binary image in its .eep side file, a PIC's Intel HEX in its
// records. A byte-addressed Intel HEX file holds one memory.
bool exportKeepsDataMemory(const std::string& path, const SelectedDevice& dev);

} // namespace kestro
