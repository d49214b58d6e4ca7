// Read: the chip's memory in view into its buffer; Read Fuse: the fuse bytes; Reset
// Polarity, which reuses the security command.

#include "devices/traits.h"
#include "ops/operation.h"

#include <array>

namespace kestro {

bool readChip(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    computeTransferRange(c);
    c.report.progressMode("Reading Chip...", progressTotal(c.link.state()), kGreen);
    c.link.state().readStatus = 0;
    const bool dataView = c.images.view == DataView;
    if (!sendCommand(c, dataView ? Command::ReadData : Command::ReadProgram)) return false;

    const TransferImage dest = transferImage(c);
    size_t pos = c.marker.start;
    const bool read = readBlocks(c, false, [&](const uint8_t* block, size_t n, uint32_t) {
        for (size_t i = 0; i < n; ++i, ++pos) {
            // A marker beyond the buffer must not write past it.
            if (pos < dest.capacity) dest.bytes[pos] = (i % 2 == 0) ? (block[i] & dest.mask) : block[i];
        }
        return true;
    });
    if (!read) return false;
    return finished(c, FixedWait::ReadEnd);
}

bool readFuse(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    c.report.messageMode("Reading Chip Fuse Bits...", kGreen);
    if (!sendCommand(c, Command::ReadFuse)) return false;
    c.link.state().readStatus = 0;
    uint8_t checksum;
    if (!receiveReply(c, checksum)) return false;
    auto& id = c.images.idBlock;
    auto& config = c.images.configBlock;
    if (picCoreOf(c.device.index) == PicCore::Pic18) {
        for (size_t i = 0; i < 8; ++i)
            if (!receiveReply(c, id[i])) return false;
        for (size_t i = 0; i < 14; ++i)
            if (!receiveReply(c, config[i])) return false;
        uint8_t spare;
        for (int i = 0; i < 10; ++i)
            if (!receiveReply(c, spare)) return false;
    } else {
        uint8_t* order[4] = {&config[0], &config[1], &id[0], &id[1]};
        uint8_t received[4];
        for (size_t k = 0; k < 4; ++k) {
            if (!receiveReply(c, *order[k])) return false;
            received[k] = *order[k];
        }
        if (byteSum(received) != checksum) {
            fail(c.report, Fault::Checksum);
            return false;
        }
    }
    return finished(c, FixedWait::FuseEnd);
}

bool resetPolarity(OpContext& c) {
    c.report.messageMode("Reset Polarity Settings...", kRed);
    if (!sendCommand(c, Command::ProgramSecurity)) return false;
    if (!exchangeAll(c, std::array{c.fuse.lockMode})) return false;
    return finished(c, FixedWait::ResetPolarityEnd);
}

} // namespace kestro
