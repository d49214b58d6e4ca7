// Handlers and steps whose subsystems are not built yet. Each subsystem moves its
// functions out of here into its own file.

#include "shell/tmyform.h"

namespace kestro {

// ---- settings file ----
int TMyForm::readSettings() { return -1; }
void TMyForm::writeSettings() {}

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
void TMyForm::hardwareTestSend() {}

} // namespace kestro
