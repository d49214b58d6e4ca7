// Read of a 32 KiB 27C256 over a pty: the data phase against the wire's own speed
// (paced at 19200 baud), and the program's own time per block (unpaced). The fixed
// waits of the operation cost nothing here.

#include "bench_rig.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace kestro {
namespace {

using bench::Rig;

constexpr int k27C256 = 153;
constexpr double kBitsPerByte = 10.0, kBaud = 19200.0;

// Bytes on the wire for a whole Read: the 17 echoed packet bytes, then per block the
// echoed 'l', the checksum and 128 bytes.
double wireSeconds(int blocks) {
    const double bytes = 17 * 2 + blocks * (2 + 1 + 128);
    return bytes * kBitsPerByte / kBaud;
}

void readOnce(benchmark::State& state, bool paced) {
    SimChip chip = SimChip::blank(k27C256);
    Rig rig(paced, std::move(chip));
    rig.form.st.device.index = k27C256;
    rig.form.selectDevice();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!readChip(rig.form.ops)) state.SkipWithError("read failed");
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        state.counters["wire_ratio"] = wireSeconds(256) / s;
        state.counters["us_per_block"] = s * 1e6 / 256;
    }
}

void BM_Read27C256Paced(benchmark::State& state) { readOnce(state, true); }
void BM_Read27C256Unpaced(benchmark::State& state) { readOnce(state, false); }

BENCHMARK(BM_Read27C256Paced)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read27C256Unpaced)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
