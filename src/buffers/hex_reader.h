#pragma once
// The Intel HEX readers: one record parser, one error vocabulary, three ways of
// placing the data (plain bytes, 12/14-bit PIC words, PIC18).

#include "buffers/image_state.h"
#include "devices/device_state.h"

#include <cstdint>
#include <span>
#include <string>

namespace kestro {

class HexInput;

enum class HexError : uint8_t {
    None,
    CantOpen,
    ExpectedColon,
    HexDigitExpected,
    UnexpectedEof,
    Checksum,
};

// The text shown to the user for an error (empty for None).
const char* hexErrorMessage(HexError e);

enum class HexReader : uint8_t { Bytes, PicWords, Pic18 };

// The reader that serves a device: PIC word reader for 46..91, PIC18 reader for
// 92..101, the byte reader for everything else.
HexReader hexReaderFor(int deviceIndex);

// Clears the images, then opens and reads the file. Whatever was stored before an
// error stays in the images. The PIC word swap is the caller's next step.
HexError loadIntelHex(HexReader reader, const std::string& path, Images& img,
                      const SelectedDevice& dev);
// The same for a file already in memory.
HexError loadIntelHex(HexReader reader, std::span<const uint8_t> text, Images& img,
                      const SelectedDevice& dev);

// Reads records from `in` into the images without clearing them first.
HexError readIntelHex(HexReader reader, HexInput& in, Images& img, const SelectedDevice& dev);

} // namespace kestro
