// Intel HEX speed: loading a 1 MiB image (29F800) with the byte reader side by side
// with srec_cat converting the same file to binary, also with the load report the
// command line asks for; writing a 64 KiB PIC18 image and a 1 MiB byte image.
// Both loads are timed on the wall clock, since srec_cat runs in a child process.

#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/file_test_support.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kestro {
namespace {

constexpr int k29f800 = 182, kPic18f6620 = 100;

struct Fixture {
    test::TempDir dir;
    std::string hex = dir / "image.hex";
    std::string out = dir / "out.bin";
    std::unique_ptr<Images> img = std::make_unique<Images>();
    std::vector<uint8_t> bytes = test::pattern(kProgramBufferSize, 29);

    Fixture() {
        test::writeFile(dir / "image.bin", bytes);
        const std::string cmd = "srec_cat " + dir / "image.bin" + " -binary -o " + hex + " -intel";
        if (std::system(cmd.c_str()) != 0) std::abort();
        // The benchmark is only worth its figures if the load is right.
        if (loadIntelHex(HexReader::Bytes, hex, *img, test::deviceAt(k29f800)) != HexError::None ||
            !std::equal(bytes.begin(), bytes.end(), img->program.begin()))
            std::abort();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

double secondsPerLoad[2];

template <class Fn>
void timed(benchmark::State& state, int slot, Fn&& fn) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) fn();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    secondsPerLoad[slot] = took.count() / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kProgramBufferSize);
}

void LoadHex1MiB_Kestro(benchmark::State& state) {
    Fixture& f = fixture();
    const SelectedDevice dev = test::deviceAt(k29f800);
    timed(state, 0, [&] {
        benchmark::DoNotOptimize(loadIntelHex(HexReader::Bytes, f.hex, *f.img, dev));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(LoadHex1MiB_Kestro)->UseRealTime()->Unit(benchmark::kMillisecond);

// As kestro-cli loads: the same pass sorts every byte into the load report.
void LoadHex1MiB_KestroWithReport(benchmark::State& state) {
    Fixture& f = fixture();
    const SelectedDevice dev = test::deviceAt(k29f800);
    LoadReport report;
    for (auto _ : state) {
        benchmark::DoNotOptimize(loadIntelHex(HexReader::Bytes, f.hex, *f.img, dev, &report));
        benchmark::ClobberMemory();
    }
    if (report.placedBytes != kProgramBufferSize || report.placed.size() != 1)
        state.SkipWithError("wrong report");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kProgramBufferSize);
}
BENCHMARK(LoadHex1MiB_KestroWithReport)->UseRealTime()->Unit(benchmark::kMillisecond);

void WriteBytes1MiB_Text(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) benchmark::DoNotOptimize(intelHexBytesText(f.bytes, 0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kProgramBufferSize);
}
BENCHMARK(WriteBytes1MiB_Text)->Unit(benchmark::kMillisecond);

void LoadHex1MiB_SrecCat(benchmark::State& state) {
    Fixture& f = fixture();
    const std::string cmd = "srec_cat " + f.hex + " -intel -o " + f.out + " -binary";
    timed(state, 1, [&] {
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("srec_cat failed");
    });
}
BENCHMARK(LoadHex1MiB_SrecCat)->UseRealTime()->Unit(benchmark::kMillisecond);

struct Pic18Image {
    std::unique_ptr<Images> img = std::make_unique<Images>();
    SelectedDevice dev = test::deviceAt(kPic18f6620);
    Pic18Image() {
        clearImages(*img);
        const auto words = test::pattern(dev.programSize, 18);
        std::copy(words.begin(), words.end(), img->program.begin());
    }
};

void WritePic18_64KiB_Text(benchmark::State& state) {
    Pic18Image p;
    for (auto _ : state) benchmark::DoNotOptimize(intelHexText(*p.img, p.dev));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * p.dev.programSize);
}
BENCHMARK(WritePic18_64KiB_Text)->Unit(benchmark::kMicrosecond);

void WritePic18_64KiB_File(benchmark::State& state) {
    Pic18Image p;
    test::TempDir dir;
    for (auto _ : state) benchmark::DoNotOptimize(writeIntelHex(dir / "pic18.hex", *p.img, p.dev));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * p.dev.programSize);
}
BENCHMARK(WritePic18_64KiB_File)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kestro

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double* s = kestro::secondsPerLoad;
    if (s[0] > 0 && s[1] > 0)
        std::printf("1 MiB Intel HEX load: Kestro %.2f ms, srec_cat %.2f ms, Kestro is %.1f times as fast\n",
                    s[0] * 1e3, s[1] * 1e3, s[1] / s[0]);
    return 0;
}
