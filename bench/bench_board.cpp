// The open adapter on the simulated board: a 32 KiB 24C256 written, verified and read
// by kestro-cli through kestro-board, each phase as a share of what the 19200-baud
// wire allows (10 bits a byte). The phases are timed from the program's own JSON
// lines, from its first block to its last, so the packet and the program's fixed
// waits before the first block (half a second before Verify's) do not count. The
// board runs the firmware in simulated time held to the wall clock, as a real board
// would.

#include "support/child_process.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace kestro {
namespace {

constexpr double kBytes = 32768;
constexpr double kWireBytesPerSecond = 19200.0 / 10;

// The share of the wire a step's blocks took, from its first progress line to its
// last; 0 when it has fewer than two.
double wireShare(const std::string& jsonLines) {
    double t0 = -1, t1 = -1, done0 = 0, done1 = 0;
    std::istringstream in(jsonLines);
    for (std::string line; std::getline(in, line);) {
        const auto j = nlohmann::json::parse(line, nullptr, false);
        if (j.is_discarded() || j.value("event", "") != "progress") continue;
        (t0 < 0 ? t0 : t1) = j.value("t", 0.0);
        (done0 == 0 ? done0 : done1) = j.value("done", 0.0);
    }
    return t1 > t0 && done1 > done0 ? (done1 - done0) / kWireBytesPerSecond / (t1 - t0) : 0;
}

void BM_Board24C256(benchmark::State& state) {
    char folder[] = "/tmp/kestro-bench-XXXXXX";
    const std::string dir = ::mkdtemp(folder);
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::string image = dir + "/image.bin", back = dir + "/back.bin";
    {
        std::vector<char> bytes(static_cast<size_t>(kBytes));
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 31 + (i >> 7));
        std::ofstream(image, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    test::Child board(KESTRO_BOARD_PROGRAM, {"--port", "COM1", "--chip", "24C256"});
    for (int i = 0; i < 500 && !std::filesystem::exists(dir + "/kestro/COM1"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<std::vector<std::string>> phases = {
        {"write", image}, {"verify", image}, {"read", back}};
    const char* names[] = {"program", "verify", "read"};
    std::vector<double> ratio(3, 0);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        for (size_t p = 0; p < phases.size(); ++p) {
            std::vector<std::string> args{"-P", "COM1", "-p", "24C256", "--json"};
            args.insert(args.end(), phases[p].begin(), phases[p].end());
            const auto r = test::runChild(KESTRO_CLI_PROGRAM, args);
            ratio[p] = wireShare(r.out);
            if (r.status != 0 || ratio[p] == 0) {
                state.SkipWithError((std::string(names[p]) + " failed: " + r.err).c_str());
                break;
            }
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    for (size_t p = 0; p < 3; ++p)
        state.counters[std::string(names[p]) + "_of_wire"] = ratio[p];
    ::kill(board.pid(), SIGTERM);
    const auto r = board.finish();
    if (r.status != 0) state.SkipWithError(("kestro-board saw a fault: " + r.err).c_str());
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Board24C256)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
