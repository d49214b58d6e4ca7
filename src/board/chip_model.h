#pragma once
// A chip in the board's socket, seen at its pins. The board hands a model
// the levels its port pins put on the socket, with the simulated time; the model
// answers with what it drives back (DO/SO, and its pull on SDA). Each model follows
// its datasheet's bus protocol and refuses what the real chip refuses.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestro {
struct SimChip;
}

namespace kestro::board {

using Nanos = uint64_t;
inline constexpr Nanos kNever = std::numeric_limits<Nanos>::max();
inline constexpr Nanos kMillisecond = 1'000'000;

// What the board drives on the socket. The I2C lines are open drain: `true` means the
// board lets the line go (the pull-up makes it high unless the chip pulls it low).
struct SocketPins {
    bool cs = false;  // 93Cxx/59Cxx CS (active high), 25Cxx /CS (active low)
    bool di = false;  // 93Cxx DI, 25Cxx SI
    bool sk = false;  // 93Cxx SK, 25Cxx SCK
    bool org = false; // 93Cxx ORG: high = 16-bit words
    bool sdaFree = true;
    bool sclFree = true;
    // The in-system programming header: RST as the board drives it (not driven: the
    // chip's own pull decides), and the square wave on the target's XTAL1 (0: none).
    bool rst = false;
    bool rstDriven = false;
    uint32_t xtalHz = 0;
};

class ChipModel {
  public:
    virtual ~ChipModel() = default;
    // The board's pins changed (or time passed: the same levels again).
    virtual void pins(const SocketPins& p, Nanos now) = 0;
    // DO/SO: true when high or not driven (the board's pull-up makes it read 1).
    virtual bool dataOut() const { return true; }
    // Whether the chip pulls SDA low.
    virtual bool pullsSda() const { return false; }
    // When the outputs may change by themselves (a write cycle ending): the board
    // calls pins() again then with the same levels.
    virtual Nanos nextChange() const { return kNever; }

    // What a real chip would have misread or been harmed by (a clock too fast): each
    // one is named through `trace` and counted.
    unsigned violations() const { return violations_; }
    std::function<void(const std::string&)> trace;

  protected:
    void note(const std::string& text) const {
        if (trace) trace(text);
    }
    void violation(const std::string& text) {
        ++violations_;
        note("VIOLATION: " + text);
    }

  private:
    unsigned violations_ = 0;
};

// The page buffer of an EEPROM: bytes loaded one after the other, the address wrapping
// within its page as the address counter's low bits do, burnt together.
class PageBuffer {
  public:
    explicit PageBuffer(uint32_t page) : page_(page) {}
    // Loads a byte; the address of the next one.
    uint32_t load(uint32_t address, uint8_t byte) {
        bytes_[address] = byte;
        return address - address % page_ + (address + 1) % page_;
    }
    bool empty() const { return bytes_.empty(); }
    size_t size() const { return bytes_.size(); }
    uint32_t first() const { return bytes_.begin()->first; }
    void clear() { bytes_.clear(); }
    void burn(std::vector<uint8_t>& memory) {
        for (const auto& [a, b] : bytes_)
            memory[a] = b;
        bytes_.clear();
    }

  private:
    uint32_t page_;
    std::map<uint32_t, uint8_t> bytes_;
};

// The model of a catalogue chip over `memory` (the chip's bytes as the program's image
// holds them: a 16-bit word w at bytes 2w (high) and 2w+1 (low)). Nothing for a chip
// the board has no model of; `why` then says so.
std::unique_ptr<ChipModel> makeChipModel(int device, std::vector<uint8_t>& memory,
                                         std::string& why);
// The same for any chip of the catalogue, the microcontrollers included, over the
// simulated chip's memories, fuse bytes and lock byte.
std::unique_ptr<ChipModel> makeChipModel(int device, SimChip& chip, std::string& why);

} // namespace kestro::board
