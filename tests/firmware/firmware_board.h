#pragma once
// The firmware's protocol on the host: its board (the line, the clock) and a chip in
// its socket, behind a serial port the program opens like any other.

#include "link/serial_port.h"
#include "sim/virtual_clock.h"

extern "C" {
#include "parts.h"
}

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
    std::vector<uint8_t> memory;
    std::optional<fw_part> part;          // as the last begin got it
    std::vector<uint8_t> parameters;      // packet bytes 12..15 at the last begin
    int begins = 0;
    int erases = 0;

    // Blank memory of the part's size, all 0xFF.
    void insert(size_t size) { memory.assign(size, 0xFF); }
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
