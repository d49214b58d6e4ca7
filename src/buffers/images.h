#pragma once
// buffers/ owns the memory images and the files they come from and go to: Intel HEX
// reader and writer, binary files and their side files, the File menu's handlers.
//
// Memory images: clearing, the PIC word swap, the active image and view rules.

#include "buffers/image_state.h"
#include "devices/device_state.h"
#include "devices/traits.h"

#include <cstdint>
#include <span>

namespace kestro {

inline constexpr const char* kProgramFileDefault = "ProgBuf.bin";
inline constexpr const char* kDataFileDefault = "DataBuf.bin";

// Whole program and data buffers, ID and configuration blocks := 0xFF.
void clearImages(Images& img);
// Buffer Reset: program and data buffers only; the fuse bytes stay.
void clearBuffers(Images& img);

// Exchanges the bytes of every word below programSize (even offsets).
void picWordSwap(Images& img, uint32_t programSize);

// Forces the view a device with only one memory must have.
void normaliseView(Images& img, const SelectedDevice& dev);

struct ActiveImage {
    uint8_t* bytes = nullptr; // null when no image is in use
    uint32_t size = 0;
    bool isProgramBuffer = true;
};
ActiveImage activeImage(Images& img, const SelectedDevice& dev);

// The file name that belongs to the current view.
const std::string& viewFileName(const Images& img);

} // namespace kestro
