// kestro-cli --simulate from the start of the process to its first byte on the line:
// the program starts, reads its options, starts the simulator on a pty, opens the port
// and sends the first byte of the handshake. The wire trace (-vv) tells the moment.

#include "support/child_process.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace kestro {
namespace {

void BM_CliStartToFirstByte(benchmark::State& state) {
    char dir[] = "/tmp/kestro-bench-XXXXXX";
    const std::string home = ::mkdtemp(dir);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        test::Child c(KESTRO_CLI_PROGRAM, {"--simulate", "-vv", "--no-waits", "identify"},
                      {{"XDG_CONFIG_HOME", home}});
        const bool sent = c.waitForErr([](const std::string& e) { return e.find("\n> ") != std::string::npos ||
                                                                          e.rfind("> ", 0) == 0; });
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!sent) state.SkipWithError("no byte went out");
        state.SetIterationTime(s);
        ::kill(c.pid(), SIGKILL);
    }
    std::filesystem::remove_all(home);
}

BENCHMARK(BM_CliStartToFirstByte)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
