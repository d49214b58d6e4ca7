#include "shell/tmyform.h"

#include "devices/catalogue.h"
#include "shell/menu_tree.h"

#include <cstdio>

namespace kestro {

namespace {

using Handler = void (TMyForm::*)();
struct NamedHandler {
    std::string_view name;
    Handler fn;
};

constexpr NamedHandler kHandlers[] = {
    {"OpenLastFile1Click", &TMyForm::OpenLastFile1Click},
    {"Open1Click", &TMyForm::Open1Click},
    {"Save1Click", &TMyForm::Save1Click},
    {"BufferReset1Click", &TMyForm::BufferReset1Click},
    {"ExitmnuClick", &TMyForm::ExitmnuClick},
    {"Identify1Click", &TMyForm::Identify1Click},
    {"Read1Click", &TMyForm::Read1Click},
    {"Erase1Click", &TMyForm::Erase1Click},
    {"Program1Click", &TMyForm::Program1Click},
    {"Verify1Click", &TMyForm::Verify1Click},
    {"ProgramSecurity1Click", &TMyForm::ProgramSecurity1Click},
    {"ProgramFuse1Click", &TMyForm::ProgramFuse1Click},
    {"ReadFuse1Click", &TMyForm::ReadFuse1Click},
    {"EraseProgram1Click", &TMyForm::EraseProgram1Click},
    {"EraseProgramSecurity1Click", &TMyForm::EraseProgramSecurity1Click},
    {"CheckErase1Click", &TMyForm::CheckErase1Click},
    {"VerifyafterProgram1Click", &TMyForm::VerifyafterProgram1Click},
    {"AutoDataMemoryProgram1Click", &TMyForm::AutoDataMemoryProgram1Click},
    {"MarkerArea1Click", &TMyForm::MarkerArea1Click},
    {"COM11Click", &TMyForm::COM11Click},
    {"COM21Click", &TMyForm::COM21Click},
    {"COM31Click", &TMyForm::COM31Click},
    {"COM41Click", &TMyForm::COM41Click},
    {"SerialDevice1Click", &TMyForm::SerialDevice1Click},
    {"Initialisation1Click", &TMyForm::Initialisation1Click},
    {"HardwareTest1Click", &TMyForm::HardwareTest1Click},
    {"DeviceinSocket1Click", &TMyForm::DeviceinSocket1Click},
    {"About1Click", &TMyForm::About1Click},
    {"ProgDatButtClick", &TMyForm::ProgDatButtClick},
    {"ProcCancelClick", &TMyForm::ProcCancelClick},
    {"ImgButtonClick", &TMyForm::ImgButtonClick},
    {"ImgTimerTimer", &TMyForm::ImgTimerTimer},
    {"MarkerOKButtonClick", &TMyForm::MarkerOKButtonClick},
    {"ConfigLargeButtonClick", &TMyForm::ConfigLargeButtonClick},
    {"Config2ButtonClick", &TMyForm::Config2ButtonClick},
};

// The program and where its documentation is, nothing that would reach nobody.
constexpr const char* kContactBlock = "Kestro " KESTRO_VERSION "\n"
                                      "Documentation: man kestro, man kestro-cli\n"
                                      "and README.md in " KESTRO_DOC_DIR;

} // namespace

TMyForm::TMyForm(Host& h, SerialPort& p)
    : state_(std::make_unique<State>()), st(*state_), host(h), port(p), session(st, p, reporter),
      reporter(*this), link(session.link()), ops(session.context()) {
    buildControls();
    buildMainMenu(model);
}

void TMyForm::FormCreate() {
    // 1. grid header
    gridHeader[0] = "Program";
    for (int c = 1; c <= 16; ++c) gridHeader[static_cast<size_t>(c)] = "0123456789ABCDEF"[c - 1];
    gridHeader[17] = "Ascii";
    // 2. fuse-panel control table
    static constexpr const char* kFuseControlNames[kFuseControlCount] = {
        "GroupBox4", "GroupBox5", "GroupBox6", "GroupBox7", "GroupBox8", "GroupBox9",
        "GroupBox10", "GroupBox11", "ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4",
        "ComboBox5", "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5",
        "CheckBox6", "CheckBox7", "CheckBox8", "CheckBox9", "CheckBox10", "Edit1", "Edit2",
        "CheckListBox1", "CheckListBox2", "CheckListBox3", "CheckListBox4", "CheckListBox5"};
    for (size_t i = 0; i < kFuseControlCount; ++i)
        st.fuse.controls[i] = model.controlIndex(kFuseControlNames[i]);
    // 3. clear the fuse panel
    DelFuse();
    // 4. settings file
    readSettings();
    // 5., 6. the two Setup toggles
    refreshSetupCaptions();
    // 7. serial link
    startLink();
    // 8. handshake; start-up goes on whatever it gives
    st.ops.lastResult = handshake() ? 1 : 0;
    // 9. the remembered device may have been withdrawn
    selectFirstAllowedDevice();
    // 10. select it
    selectDevice();
}

void TMyForm::selectFirstAllowedDevice() {
    if (!session.allowed(st.device.index)) st.device.index = session.firstAllowed();
}

void TMyForm::shutDown() {
    if (shutDownDone_) return; // the window closing after File > Exit must not repeat it
    shutDownDone_ = true;
    DelFuse();
    writeSettings();
    closePort();
}

void TMyForm::FormClose() { shutDown(); }

void TMyForm::ExitmnuClick() {
    shutDown();
    host.terminate();
}

std::string TMyForm::aboutText() const {
    char buf[kAboutBufferSize];
    const auto& l = st.adapter.infoLines;
    std::snprintf(buf, sizeof buf, "%s\n%s\n%s\n%s\n\n%s", l[0].data(), l[1].data(), l[2].data(),
                  l[3].data(), kContactBlock);
    return buf;
}

void TMyForm::About1Click() {
    host.messageBox(aboutText(), "About", MsgIcon::None, MsgButtons::Ok);
}

void TMyForm::showMessage(const std::string& text) {
    host.messageBox(text, kAppTitle, MsgIcon::None, MsgButtons::Ok);
}

void TMyForm::menuClick(int menuIndex) {
    if (menuIndex < 0 || menuIndex >= static_cast<int>(model.menus.size())) return;
    const MenuItem& m = model.menus[static_cast<size_t>(menuIndex)];
    if (!m.enabled || !m.children.empty() || m.separator) return;
    if (m.deviceIndex >= 0) {
        deviceItemClick(m.deviceIndex);
        return;
    }
    clickHandler(m.name + "Click");
}

bool TMyForm::clickHandler(std::string_view handlerName) {
    for (const auto& h : kHandlers) {
        if (h.name == handlerName) {
            (this->*h.fn)();
            return true;
        }
    }
    const int device = deviceIndexOfHandler(handlerName);
    if (device < 0) return false;
    deviceItemClick(device);
    return true;
}

void TMyForm::deviceItemClick(int deviceIndex) {
    st.device.index = deviceIndex;
    selectDevice();
}

} // namespace kestro
