// The transfer range: which addresses a block transfer moves, in packet bytes 4..11.

#include "devices/traits.h"
#include "ops/operation.h"

namespace kestro {

TransferImage transferImage(const OpContext& c) {
    const bool dataView = c.images.view == DataView;
    if (dataView && c.device.programSize > 0)
        return {c.images.data.data(), c.images.data.size(), 0xFF};
    return {c.images.program.data(), c.images.program.size(),
            dataView ? uint8_t{0xFF} : picHighByteMask(c.device.index)};
}

void computeTransferRange(OpContext& c) {
    LinkState& link = c.link.state();
    MarkerArea& m = c.marker;
    const SelectedDevice& dev = c.device;
    int32_t countMinus1 = 0;
    uint32_t start = m.start;
    uint32_t end = m.end;
    if (m.set && wordAddressed(dev.index, dev.family)) {
        if (start & 1) m.start = --start;
        if (!(end & 1)) m.end = ++end;
        c.report.markerShown(start, end);
        countMinus1 = static_cast<int32_t>((end - start) / kBlockSize);
        link.lastBlockLength = static_cast<uint8_t>((end - start) % kBlockSize + 1);
        start >>= 1;
    } else if (!m.set) {
        const uint32_t size = c.images.view == ProgramView ? dev.programSize : dev.dataSize;
        countMinus1 = static_cast<int32_t>(size / kBlockSize) - 1;
        link.lastBlockLength = kBlockSize;
    } else {
        countMinus1 = static_cast<int32_t>((end - start) / kBlockSize);
        link.lastBlockLength = static_cast<uint8_t>((end - start) % kBlockSize + 1);
    }
    if (countMinus1 == -1) countMinus1 = 0; // below one block: one short block
    link.blockCountMinus1 = countMinus1;
    link.packet[kPosCountLow] = static_cast<uint8_t>(countMinus1 & 0xFF);
    link.packet[kPosCountHigh] = static_cast<uint8_t>((countMinus1 >> 8) & 0xFF);
    link.packet[kPosStart0] = static_cast<uint8_t>(start & 0xFF);
    link.packet[kPosStart1] = static_cast<uint8_t>((start >> 8) & 0xFF);
    link.packet[kPosStart2] = static_cast<uint8_t>((start >> 16) & 0xFF);
    link.packet[kPosLastLength] = link.lastBlockLength;
}

} // namespace kestro
