// The link over a real pty against the adapter simulator: one echoed byte, and one
// 17-byte command packet unpaced and paced at 19200 baud. Program-side cost is the
// program thread's own CPU time per exchange.

#include "bench_rig.h"
#include "link/port_path.h"
#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "sim/pty_adapter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

namespace kestro {
namespace {

using bench::Rig;

double threadCpuUs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Wall time per iteration into the benchmark, medians of wall and CPU into counters.
template <typename Step>
void measure(benchmark::State& state, Step step, double exchangesPerStep) {
    std::vector<double> wall, cpu;
    for (auto _ : state) {
        const double c0 = threadCpuUs();
        const auto t0 = std::chrono::steady_clock::now();
        step();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        cpu.push_back(threadCpuUs() - c0);
        wall.push_back(d.count() * 1e6);
        state.SetIterationTime(d.count());
    }
    state.counters["median_us"] = median(wall);
    state.counters["program_cpu_us_per_exchange"] = median(cpu) / exchangesPerStep;
}

void BM_EchoRoundTrip(benchmark::State& state) {
    Rig rig(false);
    measure(state, [&] {
        if (rig.form.link.exchange(0x55) != kLinkOk) state.SkipWithError("no echo");
    }, 1);
}

void BM_CommandPacket(benchmark::State& state) {
    const bool paced = state.range(0) != 0;
    Rig rig(paced);
    rig.form.st.device.index = 153; // 27C256: an erase packet is all the adapter gets
    measure(state, [&] {
        if (!sendCommand(rig.form.ops, Command::Erase)) state.SkipWithError("packet failed");
    }, kPacketSize);
    // 17 echoed bytes = 34 bytes of 10 bits at 19200 baud.
    constexpr double kWireUs = 34 * 10 * 1e6 / 19200;
    if (paced) state.counters["over_wire_pct"] = (state.counters["median_us"] / kWireUs - 1) * 100;
}

BENCHMARK(BM_EchoRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_CommandPacket)
    ->ArgName("paced")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
