// Program and Verify of a 32 KiB 27C256 over a pty: the data phase against the wire's
// own speed (paced at 19200 baud), and the program's own processor time per block
// (unpaced). The fixed waits of the operations cost nothing here.

#include "bench_rig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace kestro {
namespace {

using bench::Rig;

constexpr int k27C256 = 153;
constexpr int kBlocks = 256;
constexpr double kBitsPerByte = 10.0, kBaud = 19200.0;

// Bytes on the wire, one after the other, for the 17 echoed packet bytes and then per
// block: Program sends 128 bytes and gets the checksum, the echoed 'l' and the status;
// Verify sends the echoed 'l' and gets the checksum and 128 bytes.
constexpr int kProgramBytes = 17 * 2 + kBlocks * (128 + 1 + 2 + 1);
constexpr int kVerifyBytes = 17 * 2 + kBlocks * (2 + 1 + 128);

double wireSeconds(int bytes) { return bytes * kBitsPerByte / kBaud; }

double threadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

enum class Pass { Program, Verify };

void run(benchmark::State& state, Pass pass, bool paced) {
    Rig rig(paced, SimChip::blank(k27C256));
    State& st = rig.form.st;
    st.device.index = k27C256;
    rig.form.selectDevice();
    for (size_t i = 0; i < 32768; ++i)
        st.images.program[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    // Verify reads back a chip that holds the buffer.
    if (pass == Pass::Verify && !programChip(rig.form.ops)) state.SkipWithError("program failed");
    const int wireBytes = pass == Pass::Program ? kProgramBytes : kVerifyBytes;
    for (auto _ : state) {
        const double cpu0 = threadCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok =
            pass == Pass::Program ? programChip(rig.form.ops) : verifyChip(rig.form.ops);
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = threadCpuSeconds() - cpu0;
        if (!ok) state.SkipWithError("operation failed");
        state.SetIterationTime(s);
        state.counters["wire_ratio"] = wireSeconds(wireBytes) / s;
        state.counters["us_per_block"] = s * 1e6 / kBlocks;
        state.counters["cpu_us_per_block"] = cpu * 1e6 / kBlocks;
    }
}

void BM_Program27C256Paced(benchmark::State& s) { run(s, Pass::Program, true); }
void BM_Verify27C256Paced(benchmark::State& s) { run(s, Pass::Verify, true); }
void BM_Program27C256Unpaced(benchmark::State& s) { run(s, Pass::Program, false); }
void BM_Verify27C256Unpaced(benchmark::State& s) { run(s, Pass::Verify, false); }

BENCHMARK(BM_Program27C256Paced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify27C256Paced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Program27C256Unpaced)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Verify27C256Unpaced)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
