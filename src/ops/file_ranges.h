#pragma once
// The ranges of a memory chip that hold a file's data, so that a transfer moves what
// the file holds instead of the whole chip. Each range is a marker area of its own (one
// packet); two stretches of data share one range when the gap between them costs less
// on the wire than another packet with its identification and waits.

#include "buffers/load_report.h"
#include "devices/device_state.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kestro {

// Inclusive chip addresses, as the marker area holds them.
struct ChipRange {
    uint32_t first;
    uint32_t last;
    uint32_t bytes() const { return last - first + 1; }
    friend bool operator==(const ChipRange&, const ChipRange&) = default;
};

// The stretches of the memory the file's bytes went to, sorted and joined: Intel HEX
// by its records' addresses, a binary image by its length less the erased (0xFF) bytes
// it ends with.
std::vector<ChipRange> fileExtents(const LoadReport& report, std::span<const uint8_t> image);

// The operations a range is run by, for what another range costs.
enum class RangeOp : uint8_t { Program, Verify, CheckErase };

// Wire and waits, in milliseconds at 19200 baud: what a block of the transfer moves, and
// what one more range adds (the packet and, where the operation has them, the
// identification before it and the wait before a read-back).
double blockWireMs(RangeOp op);
double rangeOverheadMs(RangeOp op);

// The ranges a transfer of the extents takes: widened to whole blocks of the transfer (which
// also makes whole words of a word-organised part) within `memorySize`, and joined
// across a gap whenever moving the gap takes no longer than one more range for the
// operations given.
std::vector<ChipRange> transferRanges(std::span<const ChipRange> extents, uint32_t memorySize,
                                      std::span<const RangeOp> ops);
// The longest gap, in blocks, that the operations would rather move than skip.
uint32_t gapBlocksMoved(std::span<const RangeOp> ops);

// The wire time and waits of the operations over the ranges (no ranges: the whole
// memory), for telling what a choice would take.
double transferMs(std::span<const ChipRange> ranges, uint32_t memorySize, std::span<const RangeOp> ops);

} // namespace kestro
