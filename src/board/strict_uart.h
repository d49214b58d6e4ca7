#pragma once
// The ATmega328P's receiver as the silicon has it: bytes arrive at the wire's pace,
// a finished byte goes into a two-byte FIFO, a third waits in the shift register, and
// when the start bit of a fourth comes while that one still waits, a byte is lost
// (data overrun). Times are in CPU cycles.

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>

namespace kestro::board {

using Cycles = uint64_t;
inline constexpr Cycles kNoEvent = std::numeric_limits<Cycles>::max();

class StrictReceiver {
  public:
    explicit StrictReceiver(Cycles byteTime) : byteTime_(byteTime) {}

    // A byte the other end sends: its start bit goes out when the line is free, not
    // before `now`.
    void send(uint8_t byte, Cycles now);
    // Runs the wire up to `now`: start bits and finished bytes.
    void advance(Cycles now);
    // When advance() has something to do next.
    Cycles nextEvent() const;

    // The firmware reads UDR: the oldest byte of the FIFO; the shift register's byte
    // moves up.
    bool readable() const { return !fifo_.empty(); }
    uint8_t read();

    // The receiver is switched off (reset, RXEN cleared): what it holds is gone.
    void flush();

    unsigned overruns() const { return overruns_; }
    // Called with each byte that enters the FIFO, and with each one lost.
    std::function<void(uint8_t)> onReceived, onOverrun;

  private:
    struct Wire {
        uint8_t byte;
        Cycles start, done;
        bool started;
    };
    Cycles byteTime_;
    Cycles lineFree_ = 0;
    std::deque<Wire> wire_;
    std::deque<uint8_t> fifo_;
    bool shiftHeld_ = false;
    uint8_t shift_ = 0;
    unsigned overruns_ = 0;
};

} // namespace kestro::board
