// Program: the image in view into the chip, a block of raw bytes at a time, each acknowledged by
// the adapter's checksum, the echoed 'l' and the block status. No retry: any fault ends
// it. Programming + Verify does the same for the encoders, which check each block.

#include "ops/operation.h"

#include <array>
#include <span>

namespace kestro {

namespace {

enum class BlockStatus { Done, Failed };

// Sends one block and takes the adapter's answers up to the status byte, which is
// left in `status`; false after a failure that has been reported.
bool sendBlock(OpContext& c, const TransferImage& src, size_t& pos, uint8_t& status) {
    uint8_t block[kBlockSize];
    for (size_t i = 0; i < sizeof block; ++i, ++pos) {
        const uint8_t b = src.at(pos);
        block[i] = i % 2 == 0 ? static_cast<uint8_t>(b & src.mask) : b;
    }
    c.link.write(block); // not echoed; a lost byte shows in the checksum
    uint8_t checksum = 0;
    if (!receiveReply(c, checksum)) return false;
    if (checksum != byteSum(block)) {
        fail(c.report, Fault::Checksum);
        return false;
    }
    return exchangeAll(c, std::array{kBlockRequest}) && receiveReply(c, status);
}

uint32_t blockCount(const LinkState& link) { return static_cast<uint32_t>(link.blockCountMinus1) + 1u; }

} // namespace

bool programChip(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    computeTransferRange(c);
    c.report.progressMode("Programming Chip...", progressTotal(c.link.state()), kRed);
    c.link.state().readStatus = 0;
    if (!sendCommand(c, c.images.view == DataView ? Command::ProgramData : Command::ProgramProgram))
        return false;
    const TransferImage src = transferImage(c);
    size_t pos = c.marker.start;
    for (uint32_t b = 0; b < blockCount(c.link.state()); ++b) {
        uint8_t status = 0;
        if (!sendBlock(c, src, pos, status)) return false;
        if (status != kBlockDone) {
            fail(c.report, status == kBlockFailed ? Fault::ChipFailed : Fault::Communication);
            return false;
        }
        if (stopBetweenBlocks(c, (b + 1) * kBlockSize)) return false;
    }
    return finished(c, FixedWait::ProgramEnd);
}

bool programAndVerify(OpContext& c) {
    if (stopBeforeCommand(c)) return false;
    computeTransferRange(c);
    c.report.messageMode("Programming + Verify...", kRed);
    c.link.state().readStatus = 0;
    if (!sendCommand(c, Command::ProgramData)) return false;
    const TransferImage src{c.images.program.data(), c.images.program.size(), 0xFF};
    size_t pos = c.marker.start;
    for (uint32_t b = 0; b < blockCount(c.link.state()); ++b) {
        uint8_t status = 0;
        if (!sendBlock(c, src, pos, status)) return false;
        if (status == kBlockDone) continue;
        c.report.beep();
        fail(c.report, status == kBlockFailed ? Fault::Programming : Fault::Communication);
        return false;
    }
    return true;
}

} // namespace kestro
