// The window's side of the link: the port named at start-up, the four Setup > Serial
// Port items, the handshake with the device menus that follow it, and Initialisation.

#include "devices/traits.h"
#include "link/port_path.h"
#include "link/serial_devices.h"
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

void TMyForm::showPortDevice() {
    const std::string name = portNameOfIndex(st.settings.portIndex);
    std::string hint;
    if (!name.empty()) {
        const std::string target = portLinkTarget(name);
        hint = name + ": " + (target.empty() ? portDevicePath(name).string() : target);
    }
    model.control("ComLabel").hint = hint;
}

void TMyForm::SerialDevice1Click() {
    const std::string name = portNameOfIndex(st.settings.portIndex);
    const std::vector<SerialDevice> devices = listSerialDevices(serialRoots);
    if (name.empty() || devices.empty()) {
        showMessage(name.empty() ? "No port COM1..COM4 is chosen." : "No serial device found on this machine.");
        return;
    }
    std::string label = "The ports lead to:\n";
    for (int i = 0; i < 4; ++i) {
        const std::string com = portNameOfIndex(i), target = portLinkTarget(com);
        label += com + ": " + (target.empty() ? portDevicePath(com).string() + " (no link)" : target) + "\n";
    }
    label += "\nThe device for " + name + ":";
    const std::string now = portLinkTarget(name);
    std::vector<std::string> items;
    int current = -1;
    for (const SerialDevice& d : devices) {
        std::string item = d.path;
        if (!d.device.empty()) item += " -> " + d.device;
        if (!d.description.empty()) item += "  (" + d.description + ")";
        if (current < 0 && !now.empty() && (now == d.path || now == d.device))
            current = static_cast<int>(items.size());
        items.push_back(std::move(item));
    }
    const auto chosen = host.chooseItem("Serial Port", label, items, current);
    if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(devices.size())) return;
    if (const std::string why = bindPort(name, devices[static_cast<size_t>(*chosen)].path); !why.empty()) {
        showMessage("Could not bind " + name + ":\n" + why);
        return;
    }
    showPortDevice();
    st.link.portName = name;
    Initialisation1Click();
}

void TMyForm::startLink() {
    model.control("ComLabel").caption = comLabelText(st.settings.portIndex);
    showPortDevice();
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
    showPortDevice();
    const bool wasOpen = session.isOpen();
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
