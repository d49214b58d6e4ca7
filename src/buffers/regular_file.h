#pragma once
// Opening image files for reading.

#include <string>

namespace kestro {

// A read-only descriptor for `path` when it names a regular file (through links), else
// -1. A FIFO would block open() until a writer came, and a device, socket or folder
// holds no image: they are refused at once.
int openRegularFile(const std::string& path);

} // namespace kestro
