// kestro-board: the open adapter's firmware on a simulated board with a chip in its
// socket, on a pseudo-terminal linked as COMn in Kestro's config folder, so the
// program drives it like a real board.

#include "board/board.h"
#include "devices/catalogue.h"
#include "link/port_path.h"
#include "sim/pty_port.h"
#include "sim/sim_chip.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <memory>
#include <string>

using namespace kestro;

namespace {

std::atomic<bool> gStop{false};
volatile sig_atomic_t gSignal = 0, gSender = 0; // who stopped the board, for its last line
void onSignal(int signal, siginfo_t* info, void*) {
    gSignal = signal;
    gSender = info ? info->si_pid : 0;
    gStop = true;
}

constexpr const char* kUsage = R"(Usage: kestro-board [options]
Runs the open adapter's firmware on a simulated ATmega328P board with a serial
memory or a microcontroller in its socket, on a pseudo-terminal linked as COMn in
the Kestro config folder ($XDG_CONFIG_HOME/kestro, else ~/.config/kestro). Stops
on Ctrl+C, SIGTERM or SIGHUP and removes its link. Ends with status 3 when the board saw a fault: a
received byte lost (overrun), a line not set to 19200 8N1, an I2C line driven
high, or a chip driven faster than its datasheet allows.

  --port COMn                 the link to create: COM1 (default) .. COM4
  --chip NAME|none            the chip in the socket: a catalogue name of the
                              24Cxx, PCF8582, 93Cxx, 25Cxx or 59Cxx families,
                              or ATMEGA8515, AT90S2313, AT89S52, AT89S8252
                              (24C02 by default); none (empty socket)
  --memory blank|pattern|FILE the chip's memory at start (default blank)
  --save-chip PREFIX          write the chip as PREFIX.mem (and the files
                              kestro-sim writes beside it: .data, .fuses as
                              Program Fuse sends them, .lock) at start and on
                              exit
  --firmware ELF              the firmware to run (default: the one built)
  --no-clock                  leave the XTAL wire off: a microcontroller that
                              needs the board's clock gets none
  --reset-on-open             restart the board whenever the port is opened, as
                              an Arduino whose DTR resets it; its bootloader
                              swallows what arrives in the first second
  --trace                     print the line's bytes and the chip's steps (stderr)
  -h, --help                  this text
)";

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "kestro-board: %s\n", text.c_str());
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    enum Opt { Port = 1, Chip, Memory, SaveChip, Firmware, NoClock, ResetOnOpen, Trace };
    const option options[] = {
        {"port", required_argument, nullptr, Port},
        {"chip", required_argument, nullptr, Chip},
        {"memory", required_argument, nullptr, Memory},
        {"save-chip", required_argument, nullptr, SaveChip},
        {"firmware", required_argument, nullptr, Firmware},
        {"no-clock", no_argument, nullptr, NoClock},
        {"reset-on-open", no_argument, nullptr, ResetOnOpen},
        {"trace", no_argument, nullptr, Trace},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    std::string portName = "COM1", memorySource = "blank", savePrefix, chipName = "24C02";
    std::string firmware = KESTRO_FIRMWARE_ELF;
    bool tracing = false, resetOnOpen = false, clock = true;
    for (int c; (c = getopt_long(argc, argv, "h", options, nullptr)) != -1;) {
        switch (c) {
        case Port:
            portName = optarg;
            break;
        case Chip:
            chipName = optarg;
            break;
        case Memory:
            memorySource = optarg;
            break;
        case SaveChip:
            savePrefix = optarg;
            if (savePrefix.empty()) fail("--save-chip wants a file name prefix");
            break;
        case Firmware:
            firmware = optarg;
            break;
        case NoClock:
            clock = false;
            break;
        case ResetOnOpen:
            resetOnOpen = true;
            break;
        case Trace:
            tracing = true;
            break;
        case 'h':
            std::fputs(kUsage, stdout);
            return 0;
        default:
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (optind < argc) fail(std::string("unexpected argument '") + argv[optind] + "'");
    if (portIndexOfName(portName) < 0) fail("--port wants COM1 .. COM4, not '" + portName + "'");
    const auto device = chipByName(chipName);
    if (!device || *device == kAnyChip) fail("no chip named '" + chipName + "' in the catalogue");

    SimChip chip = SimChip::blank(*device);
    std::unique_ptr<board::ChipModel> model;
    if (*device != kEmptySocket) {
        std::string why;
        model = board::makeChipModel(*device, chip, why);
        if (!model) fail(why);
        const auto size = loadMemory(chip.memory, memorySource);
        if (!size) fail("cannot read " + memorySource);
        if (*size > chip.memory.size())
            std::fprintf(stderr,
                         "kestro-board: %s holds %zu bytes, the chip %zu: the rest is left out\n",
                         memorySource.c_str(), *size, chip.memory.size());
    }
    std::string error;
    if (!savePrefix.empty() && !saveChip(chip, savePrefix, error)) fail(error);

    board::Board board(model.get());
    if (tracing) {
        const auto started = std::chrono::steady_clock::now();
        board.trace = [started](const std::string& line) {
            const std::chrono::duration<double> t = std::chrono::steady_clock::now() - started;
            std::fprintf(stderr, "[%9.3f] %s\n", t.count(), line.c_str());
        };
        if (model) model->trace = board.trace;
    }
    board.resetOnOpen = resetOnOpen;
    board.xtalWired = clock;
    if (!board.load(firmware, error)) fail(error);

    struct sigaction sa {};
    sa.sa_sigaction = onSignal;
    sa.sa_flags = SA_SIGINFO;
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &sa, nullptr);

    PtyPort pty;
    const auto link = portLinkPath(portName);
    if (!pty.open(error) || !pty.publish(link, error)) fail(error);
    std::printf("kestro-board: %s -> %s (%s, %s%s%s)\n", link.c_str(), pty.slavePath().c_str(),
                firmware.c_str(), *device == kEmptySocket ? "empty socket" : chipName.c_str(),
                clock ? "" : ", no clock", resetOnOpen ? ", reset on open" : "");
    std::fflush(stdout);
    board.serve(pty, gStop);
    if (gSignal)
        std::printf("kestro-board: stopped by %s from process %d\n", strsignal(gSignal),
                    static_cast<int>(gSender));

    int status = 0;
    if (!savePrefix.empty()) {
        if (saveChip(chip, savePrefix, error)) {
            std::printf("kestro-board: chip saved as %s.*\n", savePrefix.c_str());
        } else {
            std::fprintf(stderr, "kestro-board: chip not saved: %s\n", error.c_str());
            status = 1;
        }
    }
    const auto report = [&](unsigned n, const char* what) {
        if (n == 0) return;
        std::fprintf(stderr, "kestro-board: %u %s\n", n, what);
        status = 3;
    };
    report(board.overruns(), "received bytes lost (receiver overrun)");
    report(board.lineErrors(), "bytes sent with the UART not at 19200 8N1");
    report(board.pinFaults(), "times an I2C line was driven high");
    report(model ? model->violations() : 0, "timing violations at the chip");
    if (board.crashed()) report(1, "firmware stop (crash or sleep with interrupts off)");
    return status; // the link goes with `pty`
}
