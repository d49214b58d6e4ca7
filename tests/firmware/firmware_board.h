#pragma once
// The firmware's protocol on the host: its board (the line, the clock) and a chip in
// its socket, behind a serial port the program opens like any other.

#include "link/serial_port.h"
#include "sim/virtual_clock.h"

extern "C" {
#include "parts.h"
}

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <vector>

namespace kestro::test {

// The chip the firmware's bus drivers would reach, as bytes.
struct FakeChip {
    bool present = true;
    bool keepsWrites = true; // false: writes are acknowledged but never stored
    std::set<int> failingReads; // these reads (counting from 1) fail
    int reads = 0;
    std::vector<uint8_t> memory;          // a microcontroller's program memory
    std::vector<uint8_t> data;            // and its data EEPROM
    std::optional<fw_part> part;          // as the last begin got it
    std::vector<uint8_t> parameters;      // packet bytes 12..15 at the last begin
    bool inData = false;                  // the last begin was for the data memory
    int begins = 0;
    int ends = 0;
    int erases = 0;
    // What a microcontroller holds beside its memories.
    std::optional<std::array<uint8_t, 3>> signature;
    std::array<uint8_t, 4> fuses{0xFF, 0xFF, 0xFF, 0xFF}; // as Read Fuse delivers them
    bool refusesFuses = false;            // a fuse write the chip does not take
    std::vector<std::array<uint8_t, 4>> fuseWrites;
    std::vector<uint8_t> locks;           // lock modes applied

    // Blank memory of the part's size, all 0xFF.
    void insert(size_t size, size_t dataSize = 0) {
        memory.assign(size, 0xFF);
        data.assign(dataSize, 0xFF);
    }
    std::vector<uint8_t>& active() { return inData && !data.empty() ? data : memory; }
};

// The one board on the host: the firmware keeps its state in file-scope variables.
struct FirmwareBoard {
    explicit FirmwareBoard(VirtualClock& clock);
    ~FirmwareBoard();

    // Bytes to the firmware, as they arrive from the line; its answers pile up.
    void feed(uint8_t b);
    void feed(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> take(); // the answers so far, emptied

    VirtualClock& clock;
    FakeChip chip;
    std::deque<uint8_t> out;
    std::vector<uint8_t> received; // everything the firmware was fed
};

// The line to the board as the program sees it: every COM port reaches it.
class FirmwarePort : public SerialPort {
public:
    explicit FirmwarePort(FirmwareBoard& board) : board_(board) {}
    OpenResult open(const std::string&) override { return reopen(); }
    OpenResult reopen() override {
        open_ = true;
        board_.out.clear(); // the input flush of a real open
        return {};
    }
    bool close() override {
        open_ = false;
        return true;
    }
    bool writeByte(uint8_t b) override;
    size_t read(uint8_t* buf, size_t n) override;

private:
    FirmwareBoard& board_;
    bool open_ = false;
};

} // namespace kestro::test
