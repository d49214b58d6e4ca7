// Program with verify of a 32 KiB image at 19200-baud pacing: the command line against
// the window, measured in the same run. Both leave out the fixed waits (the window's
// benchmark host does not sleep; the command line is given --no-waits), so the figures
// compare the work and the wire alone.

#include "bench_rig.h"
#include "support/child_process.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kestro {
namespace {

constexpr int k27C256 = 153;

double seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

const std::vector<uint8_t>& image() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(32768);
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 31 + (i >> 7));
        return b;
    }();
    return bytes;
}

void BM_WindowProgramVerify32K(benchmark::State& state) {
    bench::Rig rig(true, SimChip::blank(k27C256));
    rig.form.st.device.index = k27C256;
    rig.form.selectDevice();
    rig.form.st.settings.verifyAfterProgram = true;
    std::copy(image().begin(), image().end(), rig.form.st.images.program.begin());
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        rig.form.Program1Click();
        state.SetIterationTime(seconds(t0));
        if (rig.form.st.ops.lastResult != 1) state.SkipWithError("program failed");
    }
}

void BM_CliProgramVerify32K(benchmark::State& state) {
    char folder[] = "/tmp/kestro-bench-XXXXXX";
    const std::string dir = ::mkdtemp(folder);
    const std::string fw = dir + "/fw.bin";
    std::ofstream(fw, std::ios::binary).write(reinterpret_cast<const char*>(image().data()),
                                              static_cast<std::streamsize>(image().size()));
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto r = test::runChild(KESTRO_CLI_PROGRAM,
                                      {"--simulate=27C256", "--simulate-paced", "--no-waits", "-q", "program",
                                       fw},
                                      {{"XDG_CONFIG_HOME", dir}});
        state.SetIterationTime(seconds(t0));
        if (r.status != 0) state.SkipWithError(r.err.c_str());
    }
    std::filesystem::remove_all(dir);
}

BENCHMARK(BM_WindowProgramVerify32K)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliProgramVerify32K)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
