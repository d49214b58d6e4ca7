// Hex grid: the cost of one screenful of cell texts, and of one repaint pass of a
// PIC program view including the word mask, through the same calls the grid widget
// makes.

#include "quiet_host.h"
#include "shell/tmyform.h"
#include "support/null_port.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace kestro;

using bench::QuietHost;

constexpr int kScreenRows = 20;
constexpr int kColumns = 18;

struct Bench {
    QuietHost host;
    test::NullPort port;
    TMyForm form{host, port};
    explicit Bench(int device) {
        form.FormCreate();
        form.deviceItemClick(device);
        std::mt19937 rng(1);
        for (auto& b : form.st.images.program) b = static_cast<uint8_t>(rng());
    }
    // Formats rows first..first+kScreenRows-1, all columns, as the widget asks for them.
    size_t paintRows(int first) {
        size_t chars = 0;
        for (int r = first; r < first + kScreenRows; ++r)
            for (int c = 0; c < kColumns; ++c) chars += form.cellText(r, c).size();
        return chars;
    }
};

void BM_ScreenfulAtEndOf1MiB(benchmark::State& state) {
    Bench b(182); // 29F800, 1 MiB
    const int lastRow = b.form.model.control("ProgGrid").rowCount - 1;
    for (auto _ : state) benchmark::DoNotOptimize(b.paintRows(lastRow - kScreenRows + 1));
}
BENCHMARK(BM_ScreenfulAtEndOf1MiB)->Unit(benchmark::kMicrosecond);

// One paint pass: the mask over the whole 16 KiB once, then the visible cells.
void BM_RepaintPass16KiBPic14(benchmark::State& state) {
    Bench b(86); // PIC16F876, 16 KiB program, 14-bit core
    for (auto _ : state) {
        b.form.gridPaintPass();
        benchmark::DoNotOptimize(b.paintRows(1));
    }
}
BENCHMARK(BM_RepaintPass16KiBPic14)->Unit(benchmark::kMicrosecond);

// The same image with every one of its 1,024 rows formatted in the pass.
void BM_RepaintAllRows16KiBPic14(benchmark::State& state) {
    Bench b(86);
    const int rows = b.form.model.control("ProgGrid").rowCount;
    for (auto _ : state) {
        b.form.gridPaintPass();
        size_t chars = 0;
        for (int r = 1; r < rows; ++r)
            for (int c = 0; c < kColumns; ++c) chars += b.form.cellText(r, c).size();
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_RepaintAllRows16KiBPic14)->Unit(benchmark::kMicrosecond);

// What masking once per cell, as a naive paint would, costs for one screenful.
void BM_MaskPerCellScreenful16KiBPic14(benchmark::State& state) {
    Bench b(86);
    for (auto _ : state) {
        size_t chars = 0;
        for (int r = 1; r <= kScreenRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                b.form.gridPaintPass();
                chars += b.form.cellText(r, c).size();
            }
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_MaskPerCellScreenful16KiBPic14)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
