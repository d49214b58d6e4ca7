#pragma once
// The fixed waits of the operations, as one table: how long each is and whether it only
// keeps a text on show after the adapter's exchange has ended. Those hold nothing the
// adapter needs (nothing is sent after them until the next command's packet, whose own
// waits stay), so a front end nobody watches may leave them out; the others pace the
// adapter or give the chip time to act with no reply to wait for.

#include <array>
#include <cstdint>
#include <string_view>

namespace kestro {

enum class FixedWait : uint8_t {
    BeforeSignature, AfterErasePacket, EraseEnd, SecurityEnd, ResetPolarityEnd, FuseEnd,
    BeforeReadBack, BlockRetry,
    DeviceShown, DeviceSwitched, UnknownShown, ReadEnd, ProgramEnd, ReadBackEqual, OperatorInterrupt,
};

struct FixedWaitEntry {
    FixedWait wait;
    int ms;
    bool shownOnly; // only keeps a text readable
    std::string_view where;
};

inline constexpr std::array kFixedWaits{
    FixedWaitEntry{FixedWait::BeforeSignature, 150, false, "before each signature packet"},
    FixedWaitEntry{FixedWait::AfterErasePacket, 1000, false, "after an erase packet"},
    FixedWaitEntry{FixedWait::EraseEnd, 500, false, "at the end of Erase"},
    FixedWaitEntry{FixedWait::SecurityEnd, 500, false, "at the end of Program Security"},
    FixedWaitEntry{FixedWait::ResetPolarityEnd, 500, false, "at the end of Reset Polarity"},
    FixedWaitEntry{FixedWait::FuseEnd, 1000, false, "at the end of Program Fuse and Read Fuse"},
    FixedWaitEntry{FixedWait::BeforeReadBack, 500, false, "before the Verify and Check Erase packets"},
    FixedWaitEntry{FixedWait::BlockRetry, 800, false, "before a block is asked for again"},
    FixedWaitEntry{FixedWait::DeviceShown, 1200, true, "after \"Device: ...\""},
    FixedWaitEntry{FixedWait::DeviceSwitched, 1500, true, "after \"Set Identifyed Device: ...\""},
    FixedWaitEntry{FixedWait::UnknownShown, 2000, true, "after \"Unknown Device.\""},
    FixedWaitEntry{FixedWait::ReadEnd, 500, true, "at the end of Read"},
    FixedWaitEntry{FixedWait::ProgramEnd, 500, true, "at the end of Program"},
    FixedWaitEntry{FixedWait::ReadBackEqual, 2000, true,
                   "after \"Chip Content EQUAL With Buffer.\" and \"EPROM is Empty.\""},
    FixedWaitEntry{FixedWait::OperatorInterrupt, 2000, true, "after \"Operator Interrupt\""},
};

constexpr const FixedWaitEntry& fixedWait(FixedWait w) {
    for (const FixedWaitEntry& e : kFixedWaits)
        if (e.wait == w) return e;
    return kFixedWaits[0]; // not reached: every wait has its row
}

} // namespace kestro
