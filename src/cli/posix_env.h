#pragma once
// The real machine for kestro-cli: the standard streams, the monotonic clock, SIGINT
// counted as Ctrl+C presses, termios ports, and the simulator on a pty of its own.

#include "cli/cli_env.h"

namespace kestro::cli {

class PosixEnv : public CliEnv {
public:
    PosixEnv();
    ~PosixEnv() override;
    PosixEnv(const PosixEnv&) = delete;
    PosixEnv& operator=(const PosixEnv&) = delete;

    void writeOut(std::string_view text) override;
    void writeErr(std::string_view text) override;
    bool readLine(std::string& line) override;
    uint64_t nowMs() override;
    void sleepMs(int ms) override;
    int64_t wallClockSeconds() override;
    int interrupts() override;
    void exitAtOnce(int code) override;
    std::unique_ptr<SerialPort> makeSerialPort() override;
    std::unique_ptr<SerialPort> makeSerialPortFor(CliEnv& owner) override;
    bool simulatorBehind(const std::string& portName) override;
    std::unique_ptr<SerialPort> simulatorPort(AdapterSim& sim, bool paced, std::string& portName,
                                              std::string& error) override;
};

} // namespace kestro::cli
