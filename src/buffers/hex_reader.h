#pragma once
// The Intel HEX readers: one record parser, one error vocabulary, three ways of
// placing the data (plain bytes, 12/14-bit PIC words, PIC18), each byte by its full
// address.

#include "buffers/image_state.h"
#include "buffers/load_report.h"
#include "buffers/path_parts.h"
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
// What is wrong, in a few words, for a message that names the file and line; `atEnd`
// when the error met the end of the file.
const char* hexErrorWhat(HexError e, bool atEnd);

enum class HexReader : uint8_t { Bytes, PicWords, Pic18 };

// The reader that serves a device: PIC word reader for 46..91, PIC18 reader for
// 92..101, the byte reader for everything else.
HexReader hexReaderFor(int deviceIndex);

// Clears the images, then opens and reads the file. Whatever was stored before an
// error stays in the images. The PIC word swap is the caller's next step. With a
// report, the same pass sorts every data byte into it and names the line of an error.
HexError loadIntelHex(HexReader reader, const std::string& path, Images& img,
                      const SelectedDevice& dev, LoadReport* report = nullptr);
// The same for a file already in memory.
HexError loadIntelHex(HexReader reader, std::span<const uint8_t> text, Images& img,
                      const SelectedDevice& dev, LoadReport* report = nullptr);

// Reads records from `in` into the images without clearing them first.
HexError readIntelHex(HexReader reader, HexInput& in, Images& img, const SelectedDevice& dev,
                      LoadReport* report = nullptr);

// Stores one byte at a full file address where the reader's HEX files put it; a byte
// outside the reader's areas is dropped. Other loaders (ELF) place through it.
void placeFileByte(HexReader reader, Images& img, uint64_t address, uint8_t value);

// Sorts the bytes of a file, as a loader meets them, into a report: placed in the
// part's memories (where the reader's conventions put them), left out on purpose, or
// outside the part. An erased byte or word of the part's width at an address the part
// does not have is a tool's fill, not data. The one rule for every loader that places
// bytes by the HEX conventions.
class LoadTally {
public:
    LoadTally(HexReader reader, const SelectedDevice& dev, LoadReport& report);
    void add(uint64_t address, uint8_t value);

private:
    HexReader reader_;
    const SelectedDevice& dev_;
    LoadReport& report_;
    uint8_t blankHigh_;              // high byte of an erased word
    uint64_t previous_ = UINT64_MAX; // address and value of the byte before
    uint8_t previousValue_ = 0;
};

// What follows the last byte of a complete load: for the PIC word reader the 12-bit
// ID and configuration copy and the packed ID.
void finishHexLoad(HexReader reader, Images& img, const SelectedDevice& dev);

// The names Intel HEX files go by: ".hex", ".ihx" (sdcc) and ".ihex", any case.
bool namedAsIntelHex(const PathParts& parts);

// True when the text reads as Intel HEX of this dialect up to an end record.
bool isIntelHexText(std::span<const uint8_t> text);
// The same for a regular file of at most the text of the largest image.
bool fileReadsAsIntelHex(const std::string& path);
// The byte reader into `size` bytes at `dst` (addresses from 0); the rest is dropped.
HexError readIntelHexBytes(std::span<const uint8_t> text, uint8_t* dst, uint32_t size);

} // namespace kestro
