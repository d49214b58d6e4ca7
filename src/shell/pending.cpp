// Handlers and steps whose subsystems are not built yet. Each subsystem moves its
// functions out of here into its own file.

#include "devices/catalogue.h"
#include "shell/tmyform.h"

namespace kestro {

// ---- settings file ----
int TMyForm::readSettings() { return -1; }
void TMyForm::writeSettings() {}

// ---- device selection, grid, fuse panel ----
void TMyForm::selectDevice() { catalogueLookup(st.device); }
std::string TMyForm::cellText(int row, int col) {
    if (row == 0 && col >= 0 && col < 18) return gridHeader[static_cast<size_t>(col)];
    return {};
}
void TMyForm::DelFuse() {
    for (int i : st.fuse.controls)
        if (i >= 0) model.controls[static_cast<size_t>(i)].visible = false;
    model.control("ConfigLargeButton").visible = false;
    model.control("Config2Button").visible = false;
}
void TMyForm::SetFuse(uint8_t) {}
int TMyForm::GetFuse() { return 0; }
void TMyForm::gridSetup() {}
void TMyForm::refreshGrid() { ++model.gridRevision; }
void TMyForm::ConfigLargeButtonClick() {}
void TMyForm::DeviceinSocket1Click() {}
void TMyForm::ImgButtonClick() {}
void TMyForm::ImgTimerTimer() {}
void TMyForm::BufferReset1Click() {}

// ---- files ----
void TMyForm::OpenLastFile1Click() {}
void TMyForm::Open1Click() {}
void TMyForm::Save1Click() {}
void TMyForm::ProgDatButtClick() {}

// ---- operations ----
void TMyForm::refreshSetupCaptions() {}
void TMyForm::Identify1Click() {}
void TMyForm::Read1Click() {}
void TMyForm::Erase1Click() {}
void TMyForm::Program1Click() {}
void TMyForm::Verify1Click() {}
void TMyForm::ProgramSecurity1Click() {}
void TMyForm::ProgramFuse1Click() {}
void TMyForm::ReadFuse1Click() {}
void TMyForm::EraseProgram1Click() {}
void TMyForm::EraseProgramSecurity1Click() {}
void TMyForm::CheckErase1Click() {}
void TMyForm::VerifyafterProgram1Click() {}
void TMyForm::AutoDataMemoryProgram1Click() {}
void TMyForm::ProcCancelClick() {}
void TMyForm::ProcCancelKeyPress(int) {}

// ---- marker area ----
void TMyForm::MarkerArea1Click() {}
void TMyForm::MarkerOKButtonClick() {}

// ---- hardware test ----
void TMyForm::HardwareTest1Click() {}
void TMyForm::Config2ButtonClick() {}

} // namespace kestro
