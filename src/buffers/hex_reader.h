#pragma once
// The Intel HEX readers: one record parser, one error vocabulary, three ways of
// placing the data (plain bytes, 12/14-bit PIC words, PIC18), each byte by its full
// address.

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

// Stores one byte at a full file address where the reader's HEX files put it; a byte
// outside the reader's areas is dropped. Other loaders (ELF) place through it.
void placeFileByte(HexReader reader, Images& img, uint64_t address, uint8_t value);
// True when a file byte at `address` belongs to the part's memories under the
// reader's conventions (program size and data size in use, the PIC upper areas).
bool inPartMemories(HexReader reader, const SelectedDevice& dev, uint64_t address);
// How much data a HEX file carries for a part: the data bytes of its memory records
// and the lowest address of one that lies outside the part's memories, if any (an
// erased byte, FF, outside them is a tool's padding and does not count).
struct HexExtent {
    HexError error = HexError::None;
    uint64_t bytes = 0;
    bool outside = false;
    uint64_t firstOutside = 0;
};
HexExtent hexExtent(HexReader reader, const std::string& path, const SelectedDevice& dev);

// What follows the last byte of a complete load: for the PIC word reader the 12-bit
// ID and configuration copy and the packed ID.
void finishHexLoad(HexReader reader, Images& img, const SelectedDevice& dev);

// True when the text reads as Intel HEX of this dialect up to an end record.
bool isIntelHexText(std::span<const uint8_t> text);
// The byte reader into `size` bytes at `dst` (addresses from 0); the rest is dropped.
HexError readIntelHexBytes(std::span<const uint8_t> text, uint8_t* dst, uint32_t size);

} // namespace kestro
