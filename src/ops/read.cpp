// Read: the chip's memory in view into its buffer; Read Fuse: the fuse bytes; Reset
// Polarity, which reuses the security command.

#include "devices/traits.h"
#include "ops/operation.h"

namespace kestro {

bool readChip(OpContext& c) {
    State& st = c.st;
    if (!identify(c, IdentifyMode::Ask)) return false;
    computeTransferRange(c);
    const uint32_t blocks = static_cast<uint32_t>(st.link.blockCountMinus1) + 1u;
    c.report.progressMode("Reading Chip...", (blocks - 1) * 128u, kGreen);
    st.link.readStatus = 0;
    const bool dataView = st.images.view == DataView;
    if (!sendCommand(c, dataView ? Command::ReadData : Command::ReadProgram)) return false;

    const uint8_t mask = dataView ? 0xFF : picHighByteMask(st.device.index);
    uint8_t* dest = st.images.program.data();
    size_t capacity = st.images.program.size();
    if (dataView && st.device.programSize > 0) {
        dest = st.images.data.data();
        capacity = st.images.data.size();
    }
    size_t pos = st.marker.start;

    uint8_t block[128];
    for (uint32_t b = 0; b < blocks; ++b) {
        const size_t n = b + 1 == blocks ? st.link.lastBlockLength : 128;
        if (!fetchBlock(c, block, n, false)) return false;
        for (size_t i = 0; i < n; ++i, ++pos) {
            // A marker beyond the buffer must not write past it.
            if (pos < capacity) dest[pos] = (i % 2 == 0) ? (block[i] & mask) : block[i];
        }
        if (c.report.progressStep((b + 1) * 128)) {
            c.report.operatorInterrupt();
            return false;
        }
    }
    c.report.waitMs(500);
    c.report.hidePanel();
    return true;
}

bool readFuse(OpContext& c) {
    State& st = c.st;
    if (!identify(c, IdentifyMode::Ask)) return false;
    c.report.messageMode("Reading Chip Fuse Bits...", kGreen);
    if (!sendCommand(c, Command::ReadFuse)) return false;
    st.link.readStatus = 0;
    auto next = [&c](uint8_t& out) {
        if (c.link.readReply(out) == kLinkOk) return true;
        fail(c.report, Fault::Timeout);
        return false;
    };
    uint8_t checksum;
    if (!next(checksum)) return false;
    auto& id = st.images.idBlock;
    auto& config = st.images.configBlock;
    if (picCoreOf(st.device.index) == PicCore::Pic18) {
        for (size_t i = 0; i < 8; ++i)
            if (!next(id[i])) return false;
        for (size_t i = 0; i < 14; ++i)
            if (!next(config[i])) return false;
        uint8_t spare;
        for (int i = 0; i < 10; ++i)
            if (!next(spare)) return false;
    } else {
        uint8_t* order[4] = {&config[0], &config[1], &id[0], &id[1]};
        uint8_t received[4];
        for (size_t k = 0; k < 4; ++k) {
            if (!next(*order[k])) return false;
            received[k] = *order[k];
        }
        if (checksum8(received) != checksum) {
            fail(c.report, Fault::Checksum);
            return false;
        }
    }
    c.report.waitMs(1000);
    c.report.hidePanel();
    return true;
}

bool resetPolarity(OpContext& c) {
    c.report.messageMode("Reset Polarity Settings...", kRed);
    if (!sendCommand(c, Command::ProgramSecurity)) return false;
    if (const LinkResult r = c.link.exchange(c.st.fuse.lockMode); r != kLinkOk) {
        fail(c.report, faultOf(r));
        return false;
    }
    c.report.waitMs(500);
    c.report.hidePanel();
    return true;
}

} // namespace kestro
