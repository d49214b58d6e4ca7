#include "ops/file_ranges.h"

#include "link/protocol.h"
#include "ops/waits.h"

#include <algorithm>

namespace kestro {

namespace {

constexpr auto kBlock = static_cast<uint32_t>(kBlockSize);
constexpr double kByteMs = 10.0 * 1000.0 / 19200.0; // start, eight data bits, stop

// One byte out and its echo back: an exchange takes two byte times.
constexpr double exchangeMs(double bytes) { return 2 * bytes * kByteMs; }

} // namespace

std::vector<ChipRange> fileExtents(const LoadReport& report, std::span<const uint8_t> image) {
    std::vector<ChipRange> out;
    for (const Extent& e : report.placed) {
        if (e.area != ImageArea::Program) continue;
        uint32_t last = e.last;
        // A binary image padded with erased bytes holds no data in its tail.
        if (report.kind == LoadReport::Binary) {
            while (last > e.first && (last >= image.size() || image[last] == 0xFF)) --last;
            if (last >= image.size() || image[last] == 0xFF) continue;
        }
        out.push_back({e.first, last});
    }
    std::sort(out.begin(), out.end(), [](const ChipRange& a, const ChipRange& b) { return a.first < b.first; });
    std::vector<ChipRange> joined;
    for (const ChipRange& r : out) {
        if (!joined.empty() && r.first <= joined.back().last + 1) joined.back().last = std::max(joined.back().last, r.last);
        else joined.push_back(r);
    }
    return joined;
}

double blockWireMs(RangeOp op) {
    // Program: a block's bytes, the adapter's sum, 'l' echoed, the status. A read-back:
    // 'l' echoed, the sum, the block's bytes.
    return op == RangeOp::Program ? (kBlock + 1 + 2 + 1) * kByteMs : (2 + 1 + kBlock) * kByteMs;
}

double rangeOverheadMs(RangeOp op) {
    const double packet = exchangeMs(kPacketSize);
    if (op == RangeOp::Program) // identification first: its wait, its packet, three signature bytes and the sum
        return fixedWait(FixedWait::BeforeSignature).ms + packet + 4 * kByteMs + packet;
    return fixedWait(FixedWait::BeforeReadBack).ms + packet;
}

uint32_t gapBlocksMoved(std::span<const RangeOp> ops) {
    double overhead = 0, perBlock = 0;
    for (RangeOp op : ops) {
        overhead += rangeOverheadMs(op);
        perBlock += blockWireMs(op);
    }
    return perBlock > 0 ? static_cast<uint32_t>(overhead / perBlock) : 0;
}

std::vector<ChipRange> transferRanges(std::span<const ChipRange> extents, uint32_t memorySize,
                                      std::span<const RangeOp> ops) {
    std::vector<ChipRange> out;
    if (memorySize == 0) return out;
    const uint32_t moved = gapBlocksMoved(ops);
    for (const ChipRange& e : extents) {
        if (e.first >= memorySize) continue;
        const uint32_t first = e.first / kBlock * kBlock;
        const uint32_t last = std::min(memorySize - 1, e.last / kBlock * kBlock + kBlock - 1);
        if (!out.empty() && first <= out.back().last + 1 + moved * kBlock) out.back().last = std::max(out.back().last, last);
        else out.push_back({first, last});
    }
    return out;
}

double transferMs(std::span<const ChipRange> ranges, uint32_t memorySize, std::span<const RangeOp> ops) {
    const ChipRange whole{0, memorySize == 0 ? 0 : memorySize - 1};
    if (ranges.empty()) ranges = std::span(&whole, 1);
    double ms = 0;
    for (const ChipRange& r : ranges) {
        const double blocks = (r.bytes() + kBlock - 1) / kBlock;
        for (RangeOp op : ops) ms += rangeOverheadMs(op) + blocks * blockWireMs(op);
    }
    return ms;
}

} // namespace kestro
