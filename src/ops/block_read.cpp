// The block-request protocol shared by Read, Verify and Check Erase: 'l' asks for
// the next block; after a failure the port is cycled and 'U' asks for it again.

#include "ops/operation.h"

#include <span>

namespace kestro {

namespace {
constexpr int kMaxRepeats = 5; // one request and five repeats per block

// The checksum byte and the block after it; false on anything missing or wrong.
bool receiveBlock(Link& link, uint8_t* block, size_t n, bool byteByByte) {
    uint8_t checksum = 0;
    if (link.readReply(checksum) != kLinkOk) return false;
    if (byteByByte) {
        for (size_t got = 0; got < n; ++got)
            if (link.readReply(block[got]) != kLinkOk) return false;
    } else if (link.readBlock(block, n) < n) {
        return false;
    }
    return byteSum(std::span<const uint8_t>(block, n)) == checksum;
}
} // namespace

bool fetchBlock(OpContext& c, uint8_t* block, size_t n, bool byteByByte) {
    if (c.link.exchange(kBlockRequest) == kLinkOk && receiveBlock(c.link, block, n, byteByByte))
        return true;
    for (int repeat = 1;; ++repeat) {
        c.report.beep();
        if (repeat > kMaxRepeats) {
            fail(c.report, Fault::Communication);
            return false;
        }
        pause(c, FixedWait::BlockRetry);
        reopenPort(c.link, c.report);
        if (c.link.exchange(kBlockRepeat) == kLinkOk && receiveBlock(c.link, block, n, byteByByte))
            return true;
    }
}

bool readBlocks(OpContext& c, bool byteByByte,
                const std::function<bool(const uint8_t*, size_t, uint32_t)>& accept) {
    const uint32_t blocks = static_cast<uint32_t>(c.link.state().blockCountMinus1) + 1u;
    uint8_t block[kBlockSize];
    for (uint32_t b = 0; b < blocks; ++b) {
        const size_t n = b + 1 == blocks ? c.link.state().lastBlockLength : kBlockSize;
        if (!fetchBlock(c, block, n, byteByByte)) return false;
        if (!accept(block, n, b)) return false;
        if (stopBetweenBlocks(c, (b + 1) * kBlockSize)) return false;
    }
    return true;
}

} // namespace kestro
