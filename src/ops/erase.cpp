// Erase (the adapter erases; the program only paces it), Program Security and Program
// Fuse.

#include "devices/traits.h"
#include "ops/operation.h"

#include <array>

namespace kestro {

bool eraseChip(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    c.report.messageMode("Erase Chip...", kBlue);
    const DeviceTraits& t = traitsOf(c.device.index);
    // The packets of a multi-packet erase end after the packet in hand when the front
    // end goes away; the chip is then only partly erased, which is said.
    const int packets = 1 + t.extraErasePackets;
    int sent = 0;
    auto cutShort = [&] {
        if (sent == packets || !c.report.closing()) return false;
        c.ops.stopTaken = true;
        c.report.partlyErased(sent, packets);
        c.report.hidePanel();
        return true;
    };
    while (sent < packets) {
        if (!sendCommand(c, Command::Erase)) return false;
        ++sent;
        if (cutShort()) return false;
        if (sent == 1) pause(c, FixedWait::AfterErasePacket);
        else if (t.extraEraseWaitMs) c.report.waitMs(t.extraEraseWaitMs);
        if (cutShort()) return false;
    }
    return finished(c, FixedWait::EraseEnd);
}

bool programSecurity(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    const DeviceTraits& t = traitsOf(c.device.index);
    if (c.fuse.lockMode == 0 && t.strongestLockEntry >= 0) {
        c.report.lockLevelChosen(t.strongestLockEntry);
        c.fuse.lockMode = t.strongestLockMode;
    }
    c.report.messageMode("Chip Security Process...", kRed);
    if (!sendCommand(c, Command::ProgramSecurity)) return false;
    if (!exchangeAll(c, std::array{c.fuse.lockMode})) return false;
    return finished(c, FixedWait::SecurityEnd);
}

bool programFuse(OpContext& c) {
    if (!identify(c, IdentifyMode::Ask) || stopBeforeCommand(c)) return false;
    c.report.messageMode("Programming Chip Fuse Bits...", kRed);
    if (!sendCommand(c, Command::ProgramFuse)) return false;
    const auto& id = c.images.idBlock;
    const auto& config = c.images.configBlock;
    if (picCoreOf(c.device.index) == PicCore::Pic18) {
        // The order Read Fuse delivers them in: 8 ID bytes, 14 configuration bytes, 10 spare.
        std::array<uint8_t, 32> bytes;
        bytes.fill(0xFF);
        std::copy_n(id.begin(), 8, bytes.begin());
        std::copy_n(config.begin(), 14, bytes.begin() + 8);
        if (!exchangeAll(c, bytes)) return false;
    } else if (!exchangeAll(c, std::array{config[0], config[1], id[0], id[1]})) {
        return false;
    }
    return finished(c, FixedWait::FuseEnd);
}

} // namespace kestro
