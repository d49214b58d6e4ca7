// The board's receiver: the wire's pace, the two-byte FIFO and the shift register,
// and the overrun a slow firmware causes.

#include "board/strict_uart.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestro::board {
namespace {

constexpr Cycles kByte = 8333; // 10 bits at 19200 baud, 16 MHz

TEST(StrictReceiver, BytesArriveAtTheWiresPace) {
    StrictReceiver rx(kByte);
    std::vector<Cycles> arrived;
    Cycles now = 100;
    rx.onReceived = [&](uint8_t) { arrived.push_back(now); };
    for (uint8_t b : {1, 2, 3})
        rx.send(b, now);
    while (rx.nextEvent() != kNoEvent) {
        now = rx.nextEvent();
        rx.advance(now);
        if (rx.readable()) rx.read();
    }
    EXPECT_EQ(arrived, (std::vector<Cycles>{100 + kByte, 100 + 2 * kByte, 100 + 3 * kByte}));
    // A byte sent later starts when it is sent, not when the line was last free.
    rx.send(4, 10 * kByte);
    EXPECT_EQ(rx.nextEvent(), 10 * kByte);
}

TEST(StrictReceiver, TwoInTheFifoOneInTheShiftRegisterThenAnOverrun) {
    StrictReceiver rx(kByte);
    std::vector<uint8_t> lost;
    rx.onOverrun = [&](uint8_t b) { lost.push_back(b); };
    for (uint8_t b : {1, 2, 3, 4})
        rx.send(b, 0);
    rx.advance(3 * kByte); // three bytes in, the fourth's start bit just now
    EXPECT_EQ(rx.overruns(), 1u);
    EXPECT_EQ(lost, std::vector<uint8_t>{3});
    rx.advance(4 * kByte);
    EXPECT_EQ(rx.read(), 1);
    EXPECT_EQ(rx.read(), 2);
    EXPECT_EQ(rx.read(), 4);
    EXPECT_FALSE(rx.readable());
}

TEST(StrictReceiver, ReadingBeforeTheFourthStartBitLosesNothing) {
    StrictReceiver rx(kByte);
    std::vector<uint8_t> got;
    for (uint8_t b : {1, 2, 3, 4})
        rx.send(b, 0);
    rx.advance(3 * kByte - 1); // three bytes in: FIFO full, one in the shift register
    got.push_back(rx.read());  // the shift register's byte moves up
    rx.advance(4 * kByte);
    while (rx.readable())
        got.push_back(rx.read());
    EXPECT_EQ(rx.overruns(), 0u);
    EXPECT_EQ(got, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(StrictReceiver, FlushDropsWhatItHolds) {
    StrictReceiver rx(kByte);
    rx.send(7, 0);
    rx.advance(kByte);
    rx.flush();
    EXPECT_FALSE(rx.readable());
}

} // namespace
} // namespace kestro::board
