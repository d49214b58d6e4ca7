#pragma once
// kestro-cli in the test's own process: its streams into strings, a virtual clock,
// and the adapter double on COM1 (and behind --simulate), so no test waits for real.

#include "buffers/file_test_support.h"
#include "cli/cli_env.h"
#include "cli/cli_main.h"
#include "sim/sim_serial_port.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace kestro::test {

struct FakeCliEnv : cli::CliEnv {
    VirtualClock clock;
    AdapterSim adapter; // on COM1
    std::string out, err;
    std::deque<std::string> input; // lines of stdin
    int ctrlC = 0;
    int exitedWith = -1;

    // Runs with every piece written to stdout (JSON lines), as a user would watch it.
    std::function<void(std::string_view)> onOut;

    void writeOut(std::string_view t) override {
        out += t;
        if (onOut) onOut(t);
    }
    void writeErr(std::string_view t) override { err += t; }
    bool readLine(std::string& line) override {
        if (input.empty()) return false;
        line = input.front();
        input.pop_front();
        return true;
    }
    uint64_t nowMs() override { return clock.nowMs; }
    void sleepMs(int ms) override { clock.advance(static_cast<uint64_t>(ms)); }
    int64_t wallClockSeconds() override { return 1'700'000'000 + static_cast<int64_t>(clock.nowMs / 1000); }
    int interrupts() override { return ctrlC; }
    void exitAtOnce(int code) override { exitedWith = code; }
    bool simulatorBehind(const std::string&) override { return true; } // the adapter double
    std::unique_ptr<SerialPort> makeSerialPort() override {
        return std::make_unique<SimSerialPort>(clock, adapter);
    }
    std::unique_ptr<SerialPort> simulatorPort(AdapterSim& sim, bool, std::string& portName,
                                              std::string&) override {
        portName = "COM1";
        return std::make_unique<SimSerialPort>(clock, sim);
    }
};

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

struct CliTest : ::testing::Test {
    FakeCliEnv env;
    TempDir dir;

    // Runs kestro-cli with these arguments; the streams start empty for each run.
    CliRun run(std::initializer_list<std::string> args) {
        env.out.clear();
        env.err.clear();
        const std::vector<std::string> a(args);
        const int code = cli::runCli(a, env);
        return {code, env.out, env.err};
    }
    std::string path(const std::string& name) const { return dir / name; }
    // The chip in the adapter's socket.
    void socket(const char* name) { env.adapter.chip = SimChip::blank(*chipByName(name)); }
};

} // namespace kestro::test
