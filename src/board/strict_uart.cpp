#include "board/strict_uart.h"

#include <algorithm>

namespace kestro::board {

namespace {
constexpr size_t kFifoSize = 2;
}

void StrictReceiver::send(uint8_t byte, Cycles now) {
    const Cycles start = std::max(now, lineFree_);
    lineFree_ = start + byteTime_;
    wire_.push_back({byte, start, lineFree_, false});
}

Cycles StrictReceiver::nextEvent() const {
    if (wire_.empty()) return kNoEvent;
    return wire_.front().started ? wire_.front().done : wire_.front().start;
}

void StrictReceiver::advance(Cycles now) {
    while (!wire_.empty() && nextEvent() <= now) {
        Wire& w = wire_.front();
        if (!w.started) {
            w.started = true;
            if (shiftHeld_ && fifo_.size() == kFifoSize) {
                // The waiting byte is overwritten by the one now coming in.
                shiftHeld_ = false;
                ++overruns_;
                if (onOverrun) onOverrun(shift_);
            }
            continue;
        }
        const uint8_t b = w.byte;
        wire_.pop_front();
        if (fifo_.size() < kFifoSize) {
            fifo_.push_back(b);
            if (onReceived) onReceived(b);
        } else {
            shift_ = b;
            shiftHeld_ = true;
        }
    }
}

uint8_t StrictReceiver::read() {
    if (fifo_.empty()) return 0;
    const uint8_t b = fifo_.front();
    fifo_.pop_front();
    if (shiftHeld_) {
        shiftHeld_ = false;
        fifo_.push_back(shift_);
        if (onReceived) onReceived(shift_);
    }
    return b;
}

void StrictReceiver::flush() {
    fifo_.clear();
    shiftHeld_ = false;
}

} // namespace kestro::board
