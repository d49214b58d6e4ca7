// Production at 19200-baud pacing, through kestro-cli as a program:
//  - a 16 KiB image on a 29F040 (512 KiB), written and verified whole and with
//    --range file (wall times and their ratio);
//  - chips per hour of a 2 KiB AT89C2051 through 1, 2 and 4 kestro-sim adapters on ptys,
//    one produce run over all of them, with the CPU each session takes;
//  - seconds per chip on one adapter with the window's waits and without them.

#include "support/child_process.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace kestro {
namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

double childCpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/kestro-bench-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name, size_t size) const {
        std::vector<char> b(size);
        for (size_t i = 0; i < size; ++i) b[i] = static_cast<char>(i * 31 + (i >> 7));
        std::ofstream(path + "/" + name, std::ios::binary).write(b.data(), static_cast<std::streamsize>(size));
        return path + "/" + name;
    }
};

void BM_RangeFile16KOn29F040(benchmark::State& state) {
    Folder dir;
    const std::string boot = dir.file("boot.bin", 16 * 1024);
    const auto run = [&](bool range) {
        std::vector<std::string> args{"--simulate=29F040", "--simulate-paced", "-q", "write", boot, "verify"};
        if (range) args.insert(args.begin(), {"--range", "file"});
        const auto t0 = Clock::now();
        const auto r = test::runChild(KESTRO_CLI_PROGRAM, args, {{"XDG_CONFIG_HOME", dir.path}});
        if (r.status != 0) state.SkipWithError(r.err.c_str());
        return since(t0);
    };
    for (auto _ : state) {
        const double ranged = run(true);
        const double whole = run(false);
        state.SetIterationTime(whole + ranged);
        state.counters["whole_s"] = whole;
        state.counters["range_file_s"] = ranged;
        state.counters["ratio"] = whole / ranged;
    }
}

// kestro-sim adapters linked as COM1..COMn in the folder, paced, an AT89C2051 in each.
struct Adapters {
    std::vector<std::unique_ptr<test::Child>> sims;
    Adapters(const std::string& config, int n) {
        for (int i = 1; i <= n; ++i) {
            sims.push_back(std::make_unique<test::Child>(
                KESTRO_SIM_PROGRAM, std::vector<std::string>{"--port", "COM" + std::to_string(i), "--chip", "AT89C2051", "--paced"},
                std::map<std::string, std::string>{{"XDG_CONFIG_HOME", config}}));
            const auto link = config + "/kestro/COM" + std::to_string(i);
            for (int k = 0; k < 200 && !std::filesystem::is_symlink(link); ++k)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Adapters() {
        for (auto& s : sims) {
            ::kill(s->pid(), SIGTERM);
            s->finish();
        }
    }
};

// `chips` chips of a 2 KiB AT89C2051 over the adapters; the wall time and the CPU of the
// produce run.
struct ProduceFigures {
    double seconds = 0, cpu = 0;
};
ProduceFigures produce(benchmark::State& state, int adapters, int chips, bool windowTiming) {
    Folder dir;
    const std::string fw = dir.file("fw.bin", 2048);
    Adapters sims(dir.path, adapters);
    std::vector<std::string> args{"-p", "AT89C2051", "-q", "produce", fw, "--count", std::to_string(chips)};
    for (int i = 1; i <= adapters; ++i) args.insert(args.end(), {"-P", "COM" + std::to_string(i)});
    if (windowTiming) args.push_back("--window-timing");
    const double cpu0 = childCpuSeconds();
    const auto t0 = Clock::now();
    const auto r = test::runChild(KESTRO_CLI_PROGRAM, args, {{"XDG_CONFIG_HOME", dir.path}});
    ProduceFigures f{since(t0), childCpuSeconds() - cpu0};
    if (r.status != 0) state.SkipWithError(r.err.c_str());
    return f;
}

void BM_ChipsPerHourAT89C2051(benchmark::State& state) {
    const int adapters = static_cast<int>(state.range(0));
    constexpr int kChipsEach = 4;
    for (auto _ : state) {
        const ProduceFigures f = produce(state, adapters, adapters * kChipsEach, false);
        state.SetIterationTime(f.seconds);
        state.counters["chips_per_hour"] = adapters * kChipsEach * 3600.0 / f.seconds;
        state.counters["cpu_share_per_session"] = f.cpu / f.seconds / adapters;
    }
}

void BM_SecondsPerChipOneAdapter(benchmark::State& state) {
    const bool windowTiming = state.range(0) == 1;
    constexpr int kChips = 3;
    for (auto _ : state) {
        const ProduceFigures f = produce(state, 1, kChips, windowTiming);
        state.SetIterationTime(f.seconds);
        state.counters["s_per_chip"] = f.seconds / kChips;
    }
    state.SetLabel(windowTiming ? "--window-timing" : "kestro-cli waits");
}

BENCHMARK(BM_RangeFile16KOn29F040)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ChipsPerHourAT89C2051)->Arg(1)->Arg(2)->Arg(4)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SecondsPerChipOneAdapter)->Arg(1)->Arg(0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kestro

BENCHMARK_MAIN();
