// Opening and closing the port with their messages, shared by start-up, the port
// change, Initialisation and the block retries.

#include "ops/operation.h"

namespace kestro {

bool openPort(Link& link, Reporter& report, bool sameDevice) {
    const SerialPort::OpenResult r = link.open(sameDevice);
    if (r.status == SerialPort::OpenStatus::Ok) return true;
    report.failure(Fault::PortOpen, openFailureText(r, link.state().portName));
    return false;
}

void closePort(Link& link, Reporter& report) {
    if (!link.close()) fail(report, Fault::PortClose);
}

void reopenPort(Link& link, Reporter& report) {
    closePort(link, report);
    openPort(link, report, true);
}

bool sendCommand(OpContext& c, Command command) {
    const LinkResult r = c.link.sendPacket(c.device, command, c.hwTest.mode);
    if (r == kLinkOk) return true;
    fail(c.report, faultOf(r));
    return false;
}

bool receiveReply(OpContext& c, uint8_t& out) {
    if (c.link.readReply(out) == kLinkOk) return true;
    fail(c.report, Fault::Timeout);
    return false;
}

bool exchangeAll(OpContext& c, std::span<const uint8_t> bytes) {
    for (uint8_t b : bytes) {
        if (const LinkResult r = c.link.exchange(b); r != kLinkOk) {
            fail(c.report, faultOf(r));
            return false;
        }
    }
    return true;
}

void pause(OpContext& c, FixedWait w) {
    const FixedWaitEntry& e = fixedWait(w);
    if (e.shownOnly) c.report.shownWaitMs(e.ms);
    else c.report.waitMs(e.ms);
}

bool finished(OpContext& c, FixedWait w) {
    pause(c, w);
    c.report.hidePanel();
    return true;
}

bool stopBeforeCommand(OpContext& c) {
    if (!c.report.stopRequested()) return false;
    c.ops.stopTaken = true;
    c.report.hidePanel();
    return true;
}

bool stopBetweenBlocks(OpContext& c, uint32_t done) {
    if (!c.report.progressStep(done)) return false;
    c.ops.stopTaken = true;
    c.report.operatorInterrupt();
    return true;
}

bool sendTestPattern(OpContext& c, const std::array<uint8_t, 3>& ports, DriveBytes drive) {
    storeTestPattern(c.link.state(), ports, drive);
    return sendCommand(c, Command::HardwareTest);
}

void releaseTestPattern(OpContext& c) { c.link.writeByte(kStopByte); }

} // namespace kestro
