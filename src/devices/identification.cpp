// Reads the signature of the chip in the socket and maps it to a device.

#include "devices/catalogue.h"
#include "devices/selection_rules.h"
#include "devices/signatures.h"
#include "link/protocol.h"
#include "shell/tmyform.h"

#include <cstdio>

namespace kestro {

bool TMyForm::readSignature(uint8_t sig[3]) {
    host.sleepMs(150);
    if (sendCommandPacket(Command::ReadSignature) != 0) return false;
    uint8_t bytes[4];
    for (uint8_t& b : bytes) {
        b = readByte();
        if (st.link.readStatus != 0) { // a missing byte is a link failure, not a signature
            showLinkError(st.link.readStatus);
            return false;
        }
    }
    if (static_cast<uint8_t>(bytes[1] + bytes[2] + bytes[3]) != bytes[0]) {
        showMessage("Checksum Error !");
        return false;
    }
    sig[0] = bytes[1];
    sig[1] = bytes[2];
    sig[2] = bytes[3];
    return true;
}

int TMyForm::matchSignature(const uint8_t sig[3]) {
    const int candidate = signatureDevice({sig[0], sig[1], sig[2]});
    if (candidate == kUnknownDevice) return kUnknownDevice;
    const uint8_t probeFamily = st.device.family;
    st.device.index = candidate;
    catalogueLookup(st.device);
    const int result = st.device.family == probeFamily ? candidate : kUnknownDevice;
    st.device.family = probeFamily;
    return result;
}

bool TMyForm::identify(IdentifyMode mode) {
    if (withoutIdentification(st.device.index, st.adapter.serialAdapter)) return true;
    messageMode("Reading Chip Signature Bytes...", kWhite);
    const int start = st.device.index;
    auto restoreStart = [&] {
        st.device.index = start;
        catalogueLookup(st.device);
    };

    int result = kUnknownDevice;
    auto probe = [&](int device) {
        st.device.index = device;
        catalogueLookup(st.device);
        uint8_t sig[3];
        if (!readSignature(sig)) return false;
        result = matchSignature(sig);
        return true;
    };
    if (!probe(firstProbe(start))) {
        restoreStart();
        return false;
    }
    for (int p : probeSweep()) {
        if (result != kUnknownDevice) break;
        if (!probe(p)) {
            restoreStart();
            return false;
        }
    }

    // The high-voltage ATtinys answer with the signature of their low-voltage twins.
    if ((start == 19 && result == 17) || (start == 20 && result == 18)) result = start;
    if (st.adapter.allowed[static_cast<size_t>(result)] == 0) result = kUnknownDevice;
    restoreStart();

    char* msg = st.ops.msgText;
    if (result == start) {
        std::snprintf(msg, kMessageTextSize, "Device: %s", st.device.name);
        model.control("ProcLabel").caption = msg;
        host.repaint();
        host.sleepMs(1200);
    } else if (result != kUnknownDevice) {
        st.device.index = result;
        catalogueLookup(st.device);
        std::snprintf(msg, kMessageTextSize, "Set Identifyed Device: %s", st.device.name);
        model.control("ProcLabel").caption = msg;
        host.repaint();
        selectDevice();
        host.sleepMs(1500);
        hidePanel();
        return false;
    } else if (mode == IdentifyMode::Menu) {
        model.control("ProcLabel").caption = "Unknown Device.";
        host.repaint();
        host.sleepMs(2000);
    } else {
        return host.messageBox("Continue the Process Y/N", "Unknown Device", MsgIcon::Question,
                               MsgButtons::YesNo) == MsgAnswer::Yes;
    }
    hidePanel();
    return true;
}

void TMyForm::Identify1Click() {
    lockUserInterface(false);
    if (isConfigurationProm(st.device.index)) {
        st.fuse.lockMode = 0; // "Reset High, OE Low"
        resetPolarity();
    } else {
        identify(IdentifyMode::Menu);
    }
    hidePanel();
    lockUserInterface(true);
}

} // namespace kestro
