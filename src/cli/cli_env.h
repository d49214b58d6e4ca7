#pragma once
// What kestro-cli needs from the machine: its three standard streams, time, Ctrl+C
// and serial ports. The program runs on the real one; tests give it a virtual clock
// and the adapter double in the same process.

#include "link/serial_port.h"
#include "sim/adapter_sim.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kestro::cli {

class CliEnv {
public:
    virtual ~CliEnv() = default;

    virtual void writeOut(std::string_view text) = 0; // stdout: data and JSON
    virtual void writeErr(std::string_view text) = 0; // stderr: everything for people
    // One line from stdin without its line end; false at its end.
    virtual bool readLine(std::string& line) = 0;

    virtual uint64_t nowMs() = 0; // monotonic
    virtual void sleepMs(int ms) = 0;
    // Seconds since the epoch, for journal lines.
    virtual int64_t wallClockSeconds() = 0;

    // Ctrl+C presses since the start.
    virtual int interrupts() = 0;
    // A second Ctrl+C during a fixed wait: the caller has restored the port; end now.
    virtual void exitAtOnce(int code) = 0;
    // Called, on the program's own thread, when Ctrl+C comes while the port waits for
    // the adapter: a second press is taken then, not after the block in hand.
    std::function<void()> interruptWhileWaiting;

    // A port for the names "COM1".."COM4" and device paths.
    virtual std::unique_ptr<SerialPort> makeSerialPort() = 0;
    // The same for a session that runs on another thread with `owner` as its machine:
    // the port's waits hand a Ctrl+C to the owner's interruptWhileWaiting.
    virtual std::unique_ptr<SerialPort> makeSerialPortFor(CliEnv& owner) {
        (void)owner;
        return makeSerialPort();
    }
    // True when the port of that name is a simulator's (a pseudo-terminal, as kestro-sim
    // serves): a real adapter never is one.
    virtual bool simulatorBehind(const std::string& portName) = 0;
    // The simulator `sim` behind a port of its own, paced at 19200 baud or not. The port
    // is opened by the name left in `portName`. Null with the reason in `error`.
    virtual std::unique_ptr<SerialPort> simulatorPort(AdapterSim& sim, bool paced,
                                                      std::string& portName,
                                                      std::string& error) = 0;

    bool stdoutTerminal = false;
    bool stderrTerminal = false;
    bool stdinTerminal = false;
    bool noColor = false;       // NO_COLOR is set
    bool dumbTerminal = false;  // TERM=dumb: no line redrawn in place, no colour
    int terminalColumns = 80;   // of stderr
};

} // namespace kestro::cli
