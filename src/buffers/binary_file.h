#pragma once
// Binary image files and their side files: `.eep` holds the data buffer, `.fus` two
// fuse bytes.

#include "buffers/path_parts.h"
#include "buffers/image_state.h"
#include "buffers/load_report.h"
#include "devices/device_state.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kestro {

// Loads the file into the buffers that the sizes and the view select. False when
// the main file cannot be opened (nothing is changed then); missing side files are
// skipped. Sets the data file name where the loaded bytes belong to the data memory.
// The report tells the main file's bytes: those that fit, those past the memory.
bool loadBinary(const PathParts& path, Images& img, const SelectedDevice& dev,
                LoadReport* report = nullptr);

// Devices whose binary save writes a `.fus` file.
bool writesFuseFile(int deviceIndex);
// A program memory and a data memory (AVR, AT89S8252, PIC with data EEPROM).
bool bothMemories(const SelectedDevice& dev);

struct BinarySave {
    std::string path;       // the path written, with its ".bin" extension
    bool ok = true;         // false: some file of the set could not be created or written
    std::string failedPath; // then the file that failed
    std::string reason;     // and why
};

// Saves the image under `path` (the extension becomes ".bin" unless it is one
// already) and the side files that go with it, all or none. `fusePair` is called once
// the `.fus` file exists and gives the fuse file pair to write. After a save the
// program file name is the written path, the data file name that of the file that
// holds the data memory; a failed save changes neither. `keepName` writes the name
// as given (the command line's files are the files named).
BinarySave saveBinary(const PathParts& path, Images& img, const SelectedDevice& dev,
                      const std::function<std::array<uint8_t, 2>()>& fusePair,
                      bool keepName = false);

} // namespace kestro
