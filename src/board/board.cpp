#include "board/board.h"

#include "sim/pty_port.h"

extern "C" {
#include <avr_ioport.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>
}

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kestro::board {

namespace {

// The ATmega328P's USART0 registers (data addresses) and bits.
constexpr avr_io_addr_t kUcsr0a = 0xC0, kUcsr0b = 0xC1, kUcsr0c = 0xC2, kUbrr0l = 0xC4,
                        kUbrr0h = 0xC5, kUdr0 = 0xC6;
constexpr uint8_t kU2x0 = 1 << 1, kRxen0 = 1 << 4, kUcsz02 = 1 << 2, kUpm = 3 << 4, kUsbs0 = 1 << 3;

// The socket's pins on the ports (B = 0, C = 1, D = 2). The ISP header shares MOSI,
// MISO and SCK with the 25Cxx (DI, DO, SK).
constexpr int kRst = 1, kCs = 2, kDi = 3, kDo = 4, kSk = 5; // port B
constexpr int kSda = 4, kScl = 5;                           // port C
constexpr int kXtal = 3, kOrg = 7;                          // port D (XTAL: OC2B)

// Timer 2, whose compare output B toggles the target's XTAL1.
constexpr avr_io_addr_t kTccr2a = 0xB0, kTccr2b = 0xB1, kOcr2a = 0xB3, kOcr2b = 0xB4;

// Sleeping, simavr skips to the next timer: this one keeps every skip below a
// millisecond, so simulated time never runs far ahead of the wall clock.
constexpr Cycles kHeartbeat = kClockHz / 1000;

Nanos nanosOf(Cycles c) { return c * 125 / 2; } // 62.5 ns a cycle
Cycles cyclesOf(Nanos n) { return (n * 2 + 124) / 125; }
bool bit(uint8_t v, int b) { return (v >> b) & 1; }

// The square wave on OC2B: timer 2 in CTC mode (TOP = OCR2A) toggling the pin, which is
// an output. Any other setting leaves the pin a plain port pin: no clock.
uint32_t xtalHz(const uint8_t* data, bool outputPin) {
    constexpr uint16_t kPrescale[8] = {0, 1, 8, 32, 64, 128, 256, 1024};
    const uint8_t a = data[kTccr2a], b = data[kTccr2b];
    const bool toggle = (a >> 4 & 3) == 1, ctc = (a & 3) == 2 && !(b & 0x08);
    const uint16_t n = kPrescale[b & 7];
    if (!outputPin || !toggle || !ctc || n == 0) return 0;
    return kClockHz / (2u * n * (data[kOcr2a] + 1u));
}

void logToStderr(avr_t*, const int level, const char* format, va_list ap) {
    if (level > LOG_WARNING) return;
    std::fputs("kestro-board: simavr: ", stderr);
    std::vfprintf(stderr, format, ap);
}

// simavr's own sleep callback sleeps in real time; the serve loop paces instead.
void noSleep(avr_t*, avr_cycle_count_t) {}

void onPort(avr_irq_t*, uint32_t value, void* param) {
    auto* h = static_cast<Board::PortHook*>(param);
    h->board->portWritten(h->port, static_cast<uint8_t>(value), h->direction);
}
void onTx(avr_irq_t*, uint32_t value, void* param) {
    static_cast<Board*>(param)->transmitted(static_cast<uint8_t>(value));
}
uint8_t onUdrRead(avr_t*, avr_io_addr_t, void* param) {
    return static_cast<Board*>(param)->readUdr();
}
void onUartSetting(avr_t*, avr_io_addr_t, uint8_t, void* param) {
    static_cast<Board*>(param)->lineSettingsChanged();
}
void keepRegister(avr_t* avr, avr_io_addr_t addr, uint8_t v, void*) { avr->data[addr] = v; }
avr_cycle_count_t onRxTimer(avr_t*, avr_cycle_count_t, void* param) {
    const Cycles next = static_cast<Board*>(param)->rxEvent();
    return next == kNoEvent ? 0 : next;
}
avr_cycle_count_t onChipTimer(avr_t*, avr_cycle_count_t, void* param) {
    static_cast<Board*>(param)->refreshChip();
    return 0;
}
avr_cycle_count_t onHeartbeat(avr_t*, avr_cycle_count_t when, void*) { return when + kHeartbeat; }

avr_irq_t* pinIrq(avr_t* avr, char port, int pin) {
    return avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ(port), pin);
}

} // namespace

Board::Board(ChipModel* chip) : chip_(chip) {}

Board::~Board() {
    if (avr_) avr_terminate(avr_);
    if (!firmware_) return;
    // What simavr's ELF reader allocated (the core may point into its symbols until
    // it is gone).
    for (uint32_t i = 0; i < firmware_->symbolcount; ++i)
        std::free(firmware_->symbol[i]);
    for (void* p : {static_cast<void*>(firmware_->symbol), static_cast<void*>(firmware_->flash),
                    static_cast<void*>(firmware_->eeprom), static_cast<void*>(firmware_->fuse),
                    static_cast<void*>(firmware_->lockbits)})
        std::free(p);
}

Cycles Board::now() const { return avr_->cycle; }

void Board::note(const std::string& text) const {
    if (trace) trace(text);
}

bool Board::load(const std::string& elfPath, std::string& error) {
    avr_global_logger_set(logToStderr);
    firmware_ = std::make_unique<elf_firmware_t>();
    elf_firmware_t* firmware = firmware_.get();
    std::memset(firmware, 0, sizeof *firmware);
    // simavr's loader tells what it loaded on stdout, which is the board's own.
    std::fflush(stdout);
    const int out = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, STDOUT_FILENO);
    const bool read =
        ::access(elfPath.c_str(), R_OK) == 0 && elf_read_firmware(elfPath.c_str(), firmware) == 0;
    const bool ours = read && (!firmware->mmcu[0] || !std::strcmp(firmware->mmcu, "atmega328p"));
    if (ours) avr_ = avr_make_mcu_by_name("atmega328p");
    if (avr_ && avr_init(avr_) == 0) avr_load_firmware(avr_, firmware);
    std::fflush(stdout);
    ::dup2(out, STDOUT_FILENO);
    ::close(out);
    ::close(null);
    if (!read) {
        error = "cannot load the firmware " + elfPath;
        return false;
    }
    if (!ours) {
        error = elfPath + " is built for " + firmware->mmcu + ", the board has an atmega328p";
        return false;
    }
    if (!avr_) {
        error = "simavr has no atmega328p";
        return false;
    }
    avr_->frequency = kClockHz; // after loading, which sets it from the ELF (often 0)
    avr_->log = trace ? LOG_WARNING : LOG_ERROR;
    avr_->sleep = noSleep;

    for (avr_io_t* io = avr_->io_port; io; io = io->next)
        if (!std::strcmp(io->kind, "uart")) uart_ = reinterpret_cast<avr_uart_t*>(io);
    if (!uart_) {
        error = "simavr's atmega328p has no UART";
        return false;
    }
    uint32_t flags = 0; // no console echo, no sleeping while the firmware polls
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT), onTx,
                            this);
    // The receiver is ours: simavr's keeps 64 bytes and hides overruns.
    avr_->io[AVR_DATA_TO_IO(kUdr0)].r.c = onUdrRead;
    avr_->io[AVR_DATA_TO_IO(kUdr0)].r.param = this;
    for (avr_io_addr_t a : {kUcsr0a, kUcsr0b, kUcsr0c, kUbrr0l, kUbrr0h})
        avr_register_io_write(avr_, a, onUartSetting, this);

    // Timer 2 only makes the target's clock, which the board hands the chip as a
    // frequency read from its registers; simavr running it would wake every four cycles.
    for (avr_io_addr_t a : {kTccr2a, kTccr2b, kOcr2a, kOcr2b}) {
        avr_->io[AVR_DATA_TO_IO(a)].w.c = keepRegister;
        avr_->io[AVR_DATA_TO_IO(a)].w.param = nullptr;
    }

    int i = 0;
    for (char port : {'B', 'C', 'D'}) {
        for (bool direction : {false, true}) {
            hooks_[i] = {this, port, direction};
            avr_irq_register_notify(
                pinIrq(avr_, port, direction ? IOPORT_IRQ_DIRECTION_ALL : IOPORT_IRQ_REG_PORT),
                onPort, &hooks_[i]);
            ++i;
        }
    }
    rx_.onReceived = [this](uint8_t) {
        if (!(avr_->data[kUcsr0b] & kRxen0)) {
            note("byte lost: the receiver is off");
            rx_.flush();
            return;
        }
        avr_raise_interrupt(avr_, &uart_->rxc);
    };
    rx_.onOverrun = [this](uint8_t b) {
        char s[64];
        std::snprintf(s, sizeof s, "OVERRUN: received byte %02X lost", b);
        note(s);
        if (!trace) std::fprintf(stderr, "kestro-board: %s\n", s);
    };
    reset();
    return true;
}

void Board::armTimers() {
    avr_cycle_timer_register(avr_, kHeartbeat, onHeartbeat, this);
    const Cycles next = rx_.nextEvent();
    if (next != kNoEvent)
        avr_cycle_timer_register(avr_, next > now() ? next - now() : 1, onRxTimer, this);
}

void Board::reset() {
    avr_reset(avr_); // clears every register and every cycle timer
    rx_.flush();
    tx_.clear();
    std::fill(std::begin(port_), std::end(port_), 0);
    std::fill(std::begin(ddr_), std::end(ddr_), 0);
    uint32_t flags = 0;
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    armTimers();
    refreshChip();
}

uint32_t Board::cyclesPerBit() const {
    const uint8_t* d = avr_->data;
    const uint32_t ubrr = (d[kUbrr0h] & 0x0F) << 8 | d[kUbrr0l];
    return (ubrr + 1) * (d[kUcsr0a] & kU2x0 ? 8 : 16);
}

bool Board::lineMatches() const {
    const uint8_t* d = avr_->data;
    const double error = double(kClockHz) / cyclesPerBit() / kLineBaud - 1.0;
    const bool eightBits = ((d[kUcsr0c] >> 1) & 3) == 3 && !(d[kUcsr0b] & kUcsz02);
    return error < 0.02 && error > -0.02 && eightBits && !(d[kUcsr0c] & kUpm);
}

void Board::lineSettingsChanged() {
    // simavr counts a parity bit always (11 bits a byte): a frame is 1 + 8 + stop bits.
    const uint8_t* d = avr_->data;
    const uint32_t bits = 1 + 8 + (d[kUcsr0c] & kUpm ? 1 : 0) + (d[kUcsr0c] & kUsbs0 ? 2 : 1);
    uart_->cycles_per_byte = cyclesPerBit() * bits;
    if (!(d[kUcsr0b] & kRxen0)) rx_.flush();
    // Enabling the receive interrupt with a byte waiting interrupts at once, as on the
    // chip; simavr looks only when a byte arrives.
    if (rx_.readable()) avr_raise_interrupt(avr_, &uart_->rxc);
}

Cycles Board::rxEvent() {
    rx_.advance(now());
    return rx_.nextEvent();
}

uint8_t Board::readUdr() {
    const uint8_t v = rx_.read();
    if (rx_.readable()) {
        avr_raise_interrupt(avr_, &uart_->rxc); // the next byte wants its interrupt too
    } else {
        avr_clear_interrupt(avr_, &uart_->rxc);
        avr_regbit_clear(avr_, uart_->rxc.raised);
    }
    avr_->data[kUdr0] = v;
    return v;
}

void Board::transmitted(uint8_t byte) {
    if (!lineMatches()) {
        ++lineErrors_;
        note("LINE: the UART is not set to 19200 8N1, the program receives garbage");
    }
    txFree_ = std::max(now(), txFree_) + uart_->cycles_per_byte;
    tx_.push_back({byte, txFree_});
}

void Board::portWritten(char port, uint8_t value, bool direction) {
    const int i = port - 'B';
    (direction ? ddr_ : port_)[i] = value;
    refreshChip();
}

void Board::refreshChip() {
    SocketPins p;
    p.cs = bit(port_[0], kCs);
    p.di = bit(port_[0], kDi);
    p.sk = bit(port_[0], kSk);
    p.org = bit(port_[2], kOrg);
    p.rst = bit(port_[0], kRst);
    p.rstDriven = bit(ddr_[0], kRst);
    p.xtalHz = xtalWired ? xtalHz(avr_->data, bit(ddr_[2], kXtal)) : 0;
    p.sdaFree = !bit(ddr_[1], kSda);
    p.sclFree = !bit(ddr_[1], kScl);
    const bool drivenHigh =
        (bit(ddr_[1], kSda) && bit(port_[1], kSda)) || (bit(ddr_[1], kScl) && bit(port_[1], kScl));
    if (drivenHigh && !sdaWarned_) {
        ++pinFaults_;
        note("PIN: an I2C line is driven high; it is open drain (release it instead)");
    }
    sdaWarned_ = drivenHigh;
    const Nanos t = nanosOf(now());
    bool dataOut = true, pullsSda = false;
    if (chip_) {
        chip_->pins(p, t);
        dataOut = chip_->dataOut();
        pullsSda = chip_->pullsSda();
        const Nanos next = chip_->nextChange();
        if (next != kNever) {
            const Cycles at = cyclesOf(next);
            avr_cycle_timer_register(avr_, at > now() ? at - now() : 1, onChipTimer, this);
        }
    }
    const bool sda = p.sdaFree && !pullsSda;
    avr_ioport_external_t b{};
    b.name = 'B';
    b.mask = 1 << kDo;
    b.value = dataOut << kDo;
    avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL('B'), &b);
    avr_ioport_external_t c{};
    c.name = 'C';
    c.mask = 1 << kSda | 1 << kScl;
    c.value = (sda << kSda) | (p.sclFree << kScl);
    avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL('C'), &c);
    avr_raise_irq(pinIrq(avr_, 'B', kDo), dataOut);
    avr_raise_irq(pinIrq(avr_, 'C', kSda), sda);
    avr_raise_irq(pinIrq(avr_, 'C', kScl), p.sclFree);
}

void Board::noteByte(const char* what, uint8_t byte) const {
    if (!trace) return;
    char s[64];
    std::snprintf(s, sizeof s, what, byte);
    note(s);
}

bool Board::takeInput(PtyPort& pty) {
    uint8_t buf[256];
    bool any = false;
    for (ssize_t k; (k = ::read(pty.masterFd(), buf, sizeof buf)) > 0;) {
        any = true;
        for (ssize_t i = 0; i < k; ++i) {
            if (now() < bootUntil_) {
                noteByte("rx %02X swallowed by the bootloader", buf[i]);
                continue;
            }
            noteByte("rx %02X", buf[i]);
            rx_.send(buf[i], now());
        }
    }
    if (any) armTimers();
    return any;
}

void Board::runUntil(Cycles target) {
    if (now() < bootUntil_) {
        avr_->cycle = std::min(target, bootUntil_); // held in the bootloader
        return;
    }
    // Back to the line at least every ~2 ms, even when the simulation lags.
    const auto sliceEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    for (int n = 0; now() < target; ++n) {
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) {
            note(state == cpu_Crashed ? "the firmware crashed" : "the firmware stopped");
            crashed_ = true;
            return;
        }
        if ((n & 1023) == 1023 && std::chrono::steady_clock::now() > sliceEnd) return;
    }
}

void Board::sendDue(PtyPort& pty) {
    while (!tx_.empty() && tx_.front().done <= now()) {
        const uint8_t b = tx_.front().byte;
        tx_.pop_front();
        noteByte("tx %02X", b);
        if (::write(pty.masterFd(), &b, 1) < 0)
            note("reply lost: " + std::string(std::strerror(errno)));
    }
}

void Board::serve(PtyPort& pty, const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    const auto wallStart = Clock::now();
    const Cycles simStart = now();
    bool held = pty.held(), behind = false;
    auto lastInput = Clock::now();
    while (!stop && !crashed_) {
        if (resetOnOpen) {
            const bool nowHeld = pty.held();
            if (nowHeld && !held) {
                note("the port was opened: DTR resets the board, the bootloader runs");
                reset();
                bootUntil_ = now() + bootTime;
            }
            held = nowHeld;
        }
        if (takeInput(pty)) {
            lastInput = Clock::now();
        } else if (Clock::now() - lastInput > std::chrono::milliseconds(50)) {
            pty.clearStaleExclusive(); // what a program killed while it held the port left
            lastInput = Clock::now();
        }
        const auto wall =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - wallStart);
        const Cycles target = simStart + cyclesOf(static_cast<Nanos>(wall.count()));
        runUntil(target);
        // On a busy machine the simulation may fall behind; the program's 2.5 s reply
        // limit runs on the wall clock, so say so well before that.
        const Cycles lag = target > now() ? target - now() : 0;
        if (lag > kClockHz / 10) {
            if (!behind)
                note("simulation behind the wall clock by " +
                     std::to_string(lag * 1000 / kClockHz) + " ms");
            behind = true;
        } else if (lag < kClockHz / 100) {
            behind = false;
        }
        sendDue(pty);
        if (now() >= target) {
            // Wait for the program, or until the next byte out is due: sent late, a
            // reply would stretch every block's turn-around.
            Nanos wait = kMillisecond;
            if (!tx_.empty())
                wait = std::min(wait,
                                nanosOf(tx_.front().done > now() ? tx_.front().done - now() : 0));
            const timespec ts{0, static_cast<long>(wait)};
            pollfd p{pty.masterFd(), POLLIN, 0};
            ::ppoll(&p, 1, &ts, nullptr);
        }
    }
}

} // namespace kestro::board
