#pragma once
// Opening image files for reading.

#include <cstdint>
#include <string>
#include <vector>

namespace kestro {

// A read-only descriptor for `path` when it names a regular file (through links), else
// -1. A FIFO would block open() until a writer came, and a device, socket or folder
// holds no image: they are refused at once.
int openRegularFile(const std::string& path);

// Reads at most `limit` bytes of the regular file `path` into `out`; false when it
// cannot be opened.
bool readRegularFile(const std::string& path, std::vector<uint8_t>& out, size_t limit);

} // namespace kestro
