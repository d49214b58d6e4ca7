// The window's side of the link: the port named at start-up, the four Setup > Serial
// Port items, the handshake with the device menus that follow it, and Initialisation.

#include "devices/traits.h"
#include "link/port_path.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {

std::string comLabelText(int32_t portIndex) { return "COM" + std::to_string(portIndex + 1); }

// The four Setup > Serial Port items: store the index first, then switch.
void choosePort(TMyForm& form, int portIndex) {
    form.st.settings.portIndex = portIndex;
    form.changePort(portNameOfIndex(portIndex));
}

// Device menu items follow the allowed-device flags, except those the menus always
// keep disabled. Indexes without an item are simply not met.
void enableDeviceMenus(FormModel& model, const Session& session) {
    for (MenuItem& m : model.menus)
        if (m.deviceIndex >= 0)
            m.enabled = session.allowed(m.deviceIndex) && !traitsOf(m.deviceIndex).menuAlwaysDisabled;
}

} // namespace

void TMyForm::startLink() {
    model.control("ComLabel").caption = comLabelText(st.settings.portIndex);
    st.link.portOpen = false;
    // An index outside 0..3 leaves the name as it was: empty at start-up.
    if (std::string name = portNameOfIndex(st.settings.portIndex); !name.empty())
        st.link.portName = std::move(name);
    openPort();
}

void TMyForm::openPort() { session.openPort(); }

void TMyForm::closePort() { session.closePort(); }

void TMyForm::reopenPort() { session.reopenPort(); }

void TMyForm::changePort(const std::string& portName) {
    model.control("ComLabel").caption = comLabelText(st.settings.portIndex);
    const bool wasOpen = link.isOpen();
    closePort();
    st.link.portName = portName;
    if (wasOpen) openPort(); // a closed one waits for Initialisation
}

void TMyForm::COM11Click() { choosePort(*this, 0); }
void TMyForm::COM21Click() { choosePort(*this, 1); }
void TMyForm::COM31Click() { choosePort(*this, 2); }
void TMyForm::COM41Click() { choosePort(*this, 3); }

bool TMyForm::handshake() {
    if (const Fault f = session.handshake(); f != Fault::None) {
        fail(reporter, f);
        return false;
    }
    enableDeviceMenus(model, session);
    return true;
}

void TMyForm::Initialisation1Click() {
    messageMode("Initialisation...", kWhite);
    closePort(); // the name is resolved again: a port chosen while closed opens here
    openPort();
    handshake();
    if (!session.allowed(st.device.index)) {
        showMessage("This Device NOT Allowed !\nWill Set The First Allowed Device.");
        selectFirstAllowedDevice(); // "unknown" (196) when the adapter allows nothing
        selectDevice();
    }
    hidePanel();
}

} // namespace kestro
