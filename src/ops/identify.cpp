// Identification: reads the signature of the chip in the socket and maps it to a device.

#include "devices/catalogue.h"
#include "devices/signatures.h"
#include "devices/traits.h"
#include "link/handshake.h"
#include "ops/operation.h"

#include <cstdio>

namespace kestro {

namespace {


// The device a signature names, when it is of the probing device's family.
int matchSignature(SelectedDevice& dev, const Signature& sig) {
    const int candidate = signatureDevice(sig);
    if (candidate == kUnknownDevice) return kUnknownDevice;
    const Family probeFamily = dev.family;
    dev.index = candidate;
    catalogueLookup(dev);
    const int result = dev.family == probeFamily ? candidate : kUnknownDevice;
    dev.family = probeFamily;
    return result;
}

void select(SelectedDevice& dev, int index) {
    dev.index = index;
    catalogueLookup(dev);
}

} // namespace

bool readSignature(OpContext& c, Signature& sig) {
    pause(c, FixedWait::BeforeSignature);
    if (c.report.closing()) return false; // identification then ends as stopped
    if (!sendCommand(c, Command::ReadSignature)) return false;
    uint8_t bytes[4];
    for (uint8_t& b : bytes)
        if (!receiveReply(c, b)) return false; // a missing byte is a link failure, not a signature
    if (byteSum(std::span<const uint8_t>(bytes + 1, 3)) != bytes[0]) {
        fail(c.report, Fault::Checksum);
        return false;
    }
    sig = {bytes[1], bytes[2], bytes[3]};
    return true;
}

bool identify(OpContext& c, IdentifyMode mode) {
    SelectedDevice& dev = c.device;
    if (withoutIdentification(dev.index, c.adapter.serialAdapter)) return true;
    c.report.messageMode("Reading Chip Signature Bytes...", kWhite);
    const int start = dev.index;

    int result = kUnknownDevice;
    auto probe = [&](int device) {
        select(dev, device);
        Signature sig{};
        if (!readSignature(c, sig)) return false;
        result = matchSignature(dev, sig);
        return true;
    };
    bool answered = probe(firstProbe(start));
    for (int p : probeSweep()) {
        if (!answered || result != kUnknownDevice || c.report.closing()) break;
        answered = probe(p);
    }
    select(dev, start);
    if (c.report.closing()) { // going away: no further probe, no question, no follow-up
        c.ops.stopTaken = true;
        c.report.hidePanel();
        return false;
    }
    if (!answered) return false;

    // A high-voltage variant answers with the signature of its low-voltage twin.
    if (traitsOf(start).signatureTwin == result) result = start;
    if (!isAllowed(c.adapter, result)) result = kUnknownDevice;

    if (result == start) {
        c.ops.msgText = "Device: " + dev.name;
        c.report.status(c.ops.msgText);
        pause(c, FixedWait::DeviceShown);
    } else if (result != kUnknownDevice) {
        select(dev, result);
        c.ops.msgText = "Set Identifyed Device: " + dev.name;
        c.report.status(c.ops.msgText);
        c.report.selectionChanged();
        pause(c, FixedWait::DeviceSwitched);
        c.report.hidePanel();
        return false;
    } else if (mode == IdentifyMode::Menu) {
        c.report.status(kUnknownDeviceText);
        pause(c, FixedWait::UnknownShown);
    } else {
        return c.report.ask("Continue the Process Y/N", "Unknown Device");
    }
    c.report.hidePanel();
    return true;
}

} // namespace kestro
