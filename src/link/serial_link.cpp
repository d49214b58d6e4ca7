// The link state machine on the form: open, close and switch the port, and move bytes
// with the port-open checks and read status the protocol relies on.

#include "link/port_path.h"
#include "link/serial_port.h"
#include "shell/tmyform.h"

#include <cstdio>

namespace kestro {

namespace {

std::string comLabelText(int32_t portIndex) { return "COM" + std::to_string(portIndex + 1); }

// The four Setup > Serial Port items: store the index first, then switch.
void choosePort(TMyForm& form, int portIndex) {
    form.st.settings.portIndex = portIndex;
    form.changePort(portNameOfIndex(portIndex));
}

} // namespace

void TMyForm::startLink() {
    model.control("ComLabel").caption = comLabelText(st.settings.portIndex);
    st.link.portOpen = 0;
    // An index outside 0..3 leaves the name as it was: empty at start-up.
    if (std::string name = portNameOfIndex(st.settings.portIndex); !name.empty())
        st.link.portName = std::move(name);
    openPort();
}

void TMyForm::openPort(bool sameDevice) {
    if (st.link.portOpen) return;
    const SerialPort::OpenResult r = sameDevice ? port.reopen() : port.open(st.link.portName);
    char text[kMessageTextSize + 32] = {};
    switch (r.status) {
    case SerialPort::OpenStatus::Ok:
        st.link.portOpen = 1;
        return;
    case SerialPort::OpenStatus::OpenFailed:
        std::snprintf(text, sizeof text, "Could Not Use the '%s' Serial Port!",
                      st.link.portName.c_str());
        break;
    case SerialPort::OpenStatus::GetStateFailed:
        std::snprintf(text, sizeof text, "GetCommState Error! (%d)", r.error);
        break;
    case SerialPort::OpenStatus::SetStateFailed:
        std::snprintf(text, sizeof text, "SetCommState Error! (%d)\n", r.error);
        break;
    }
    showMessage(text);
}

void TMyForm::closePort() {
    if (!st.link.portOpen) return;
    if (port.close())
        st.link.portOpen = 0;
    else
        showMessage("COM Close Error !");
}

void TMyForm::reopenPort() {
    closePort();
    openPort(true);
}

void TMyForm::changePort(const std::string& portName) {
    model.control("ComLabel").caption = comLabelText(st.settings.portIndex);
    const bool wasOpen = st.link.portOpen;
    closePort();
    st.link.portName = portName;
    if (wasOpen) openPort(); // a closed one waits for Initialisation
}

void TMyForm::COM11Click() { choosePort(*this, 0); }
void TMyForm::COM21Click() { choosePort(*this, 1); }
void TMyForm::COM31Click() { choosePort(*this, 2); }
void TMyForm::COM41Click() { choosePort(*this, 3); }

bool TMyForm::writeByte(uint8_t b) {
    if (!st.link.portOpen) return false;
    return port.writeByte(b);
}

uint8_t TMyForm::readByte() {
    uint8_t b = 0;
    if (st.link.portOpen && port.read(&b, 1) == 1) {
        st.link.readStatus = kReadOk;
        return b;
    }
    st.link.readStatus = kReadNothing;
    return 0;
}

size_t TMyForm::readBlock(uint8_t* buf, size_t n) {
    if (!st.link.portOpen) return 0;
    return port.read(buf, n);
}

uint8_t TMyForm::exchange(uint8_t b) {
    writeByte(b); // a failed write shows up as a missing echo
    const uint8_t echo = readByte();
    if (st.link.readStatus == kReadNothing) return kLinkTimeout;
    return echo == b ? kLinkOk : kLinkEchoDiffered;
}

} // namespace kestro
