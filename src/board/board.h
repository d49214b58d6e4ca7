#pragma once
// The simulated board: the firmware's ELF on a simulated ATmega328P at 16 MHz, the
// line to the program through a strict receiver, and a chip model on the socket pins.
// Simulated time is kept in step with the wall clock.

#include "board/chip_model.h"
#include "board/strict_uart.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>

struct avr_t;
struct avr_uart_t;
struct elf_firmware_t;

namespace kestro {
class PtyPort;
}

namespace kestro::board {

inline constexpr uint32_t kClockHz = 16'000'000;
inline constexpr uint32_t kLineBaud = 19200;

class Board {
  public:
    // `chip` may be empty: an empty socket. Not owned.
    explicit Board(ChipModel* chip);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    bool load(const std::string& elfPath, std::string& error);

    // Serves the program on `pty` until `stop` is set or the firmware stops. With
    // `resetOnOpen` the board restarts whenever the program opens the port, as an
    // Arduino whose DTR pulses its RESET, and its bootloader swallows what arrives in
    // the first `bootTime` (simulated) before the firmware starts.
    void serve(PtyPort& pty, const std::atomic<bool>& stop);
    bool resetOnOpen = false;
    // Without it the XTAL wire is left off: a chip that needs the board's clock gets none.
    bool xtalWired = true;
    Cycles bootTime = kClockHz; // one second

    // Faults that end kestro-board with a non-zero status.
    unsigned overruns() const { return rx_.overruns(); }
    unsigned lineErrors() const { return lineErrors_; }
    unsigned pinFaults() const { return pinFaults_; }
    bool crashed() const { return crashed_; }

    std::function<void(const std::string&)> trace;

    // The glue simavr calls back into (C callbacks in board.cpp).
    struct PortHook {
        Board* board;
        char port;
        bool direction;
    };
    void portWritten(char port, uint8_t value, bool direction);
    void refreshChip();
    uint8_t readUdr();
    void transmitted(uint8_t byte);
    void lineSettingsChanged();
    Cycles rxEvent();

  private:
    void reset();
    void armTimers();
    bool takeInput(PtyPort& pty);
    void runUntil(Cycles target);
    void sendDue(PtyPort& pty);
    void note(const std::string& text) const;
    void noteByte(const char* format, uint8_t byte) const;
    uint32_t cyclesPerBit() const; // of the firmware's UART
    bool lineMatches() const;
    Cycles now() const;

    ChipModel* chip_;
    avr_t* avr_ = nullptr;
    avr_uart_t* uart_ = nullptr;
    std::unique_ptr<elf_firmware_t> firmware_;
    StrictReceiver rx_{kClockHz * 10 / kLineBaud};
    struct Out {
        uint8_t byte;
        Cycles done;
    };
    std::deque<Out> tx_;
    Cycles txFree_ = 0;
    uint8_t port_[3]{}, ddr_[3]{}; // B, C, D
    PortHook hooks_[6]{};
    Cycles bootUntil_ = 0;
    unsigned lineErrors_ = 0, pinFaults_ = 0;
    bool crashed_ = false, sdaWarned_ = false;
};

} // namespace kestro::board
