#pragma once
// The File menu commands that move images between files and buffers: the rules of
// Open and Save, without dialogs, for every front end.

#include "buffers/image_state.h"
#include "buffers/load_report.h"
#include "devices/device_state.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kestro {

// The dialogs' filters. Open shows every name the loader reads as Intel HEX or ELF;
// Save writes only Intel HEX and binary files.
inline constexpr const char* kOpenDialogFilter =
    "Hex & Bin files (*.hex *.ihx *.ihex *.bin *.elf *.HEX *.IHX *.IHEX *.BIN *.ELF);;"
    "ELF files (*.elf *.ELF);;All files (*)";
inline constexpr const char* kSaveDialogFilter =
    "Hex & Bin files (*.hex *.bin *.HEX *.BIN);;All files (*)";

inline constexpr const char* kCantOpenBinary = "Can't Open File!";
inline constexpr const char* kCantSave = "Can't Save File!";
inline constexpr const char* kErrorCaption = "Error";

struct FileResult {
    bool ok = true;
    // The text to show when not ok: an Intel HEX reader's message, or one of the two
    // above, which go in the "Error" box with the stop icon.
    std::string message;
    bool errorBox = false;
    std::string path; // Save: the path written, with the extension the writer chose
    std::string failedPath; // Save: the file of the set that could not be written
    std::string reason;     // and why
    uint64_t leftOut = 0;   // Open of a binary image: bytes of the file beyond the memory
};

// Open's load: ".hex", ".ihx" and ".ihex" in any case through the device's Intel HEX
// reader (then the PIC word swap), ".elf" through the ELF loader, anything else as a
// binary file with its side files; the file names follow. A load that fails leaves
// the images, fuse bytes and file names as they were: half a file is never taken
// for the whole. The report, when asked for, is the loader's account of the file's
// bytes.
FileResult loadImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         LoadReport* report = nullptr);

// The message for a file that cannot be opened: the Intel HEX reader's for the names
// it reads, the binary load's for the others.
const char* cantOpenMessage(const std::string& path);

// Save's write: Intel HEX for PIC devices (".hex"), a binary file with its side files
// for the others (".bin"). `fusePair` reads the fuse settings back and gives the fuse
// file pair; it is called before a PIC file is written and once a `.fus` file exists.
// The file names change only when every file of the save was written.
// `withProgram` false leaves a PIC's program memory out of its HEX file (a read of
// the data memory alone saves only what it read); binary images follow the view.
FileResult saveImageFile(const std::string& path, Images& img, const SelectedDevice& dev,
                         const std::function<std::array<uint8_t, 2>()>& fusePair,
                         bool withProgram = true);

} // namespace kestro
