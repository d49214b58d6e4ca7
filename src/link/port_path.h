#pragma once
// Port names and device paths: the program keeps the names "COM1".."COM4"; on this
// system each names a device file.

#include <filesystem>
#include <string>

namespace kestro {

// "COMn" for port index 0..3, nothing otherwise.
std::string portNameOfIndex(int portIndex);

// 0..3 for "COM1".."COM4", -1 for any other name.
int portIndexOfName(const std::string& portName);

// Where a link for the port lives: <config folder>/COMn.
std::filesystem::path portLinkPath(const std::string& portName);

// The device file to open for a port name: the link in the config folder when one
// exists (even a dangling one, so a vanished simulator fails the open instead of
// falling back to a real port), else /dev/ttyS0../dev/ttyS3 for COM1..COM4. Any other
// name is used as it is (an empty name then fails to open).
std::filesystem::path portDevicePath(const std::string& portName);

} // namespace kestro
