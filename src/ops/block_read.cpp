// The block-request protocol shared by Read, Verify and Check Erase: 'l' asks for
// the next block; after a failure the port is cycled and 'U' asks for it again.

#include "link/protocol.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {
constexpr int kMaxRepeats = 5; // one request and five repeats per block
constexpr int kRetryWaitMs = 800;

uint8_t sum8(const uint8_t* p, size_t n) {
    uint8_t s = 0;
    for (size_t i = 0; i < n; ++i) s = static_cast<uint8_t>(s + p[i]);
    return s;
}
} // namespace

bool TMyForm::fetchBlock(uint8_t* block, size_t n, bool byteByByte) {
    int retries = 0;
    bool repeat = false;
    for (;; repeat = true) {
        uint8_t code;
        if (!repeat) {
            code = exchange(kBlockRequest);
        } else {
            host.beep();
            if (++retries > kMaxRepeats) {
                showMessage("Communication Error !");
                return false;
            }
            host.sleepMs(kRetryWaitMs);
            reopenPort();
            code = exchange(kBlockRepeat);
        }
        if (code != 0) continue;
        const uint8_t checksum = readByte();
        if (st.link.readStatus != 0) continue;
        if (byteByByte) {
            size_t got = 0;
            while (got < n) {
                block[got] = readByte();
                if (st.link.readStatus != 0) break;
                ++got;
            }
            if (got < n) continue;
        } else if (readBlock(block, n) < n) {
            continue;
        }
        if (sum8(block, n) != checksum) continue;
        return true;
    }
}

} // namespace kestro
