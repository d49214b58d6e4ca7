// Handlers and steps whose subsystems are not built yet. Each subsystem moves its
// functions out of here into its own file.

#include "shell/tmyform.h"

namespace kestro {

// ---- operations ----
void TMyForm::Erase1Click() {}
void TMyForm::Program1Click() {}
void TMyForm::Verify1Click() {}
void TMyForm::ProgramSecurity1Click() {}
void TMyForm::ProgramFuse1Click() {}
void TMyForm::EraseProgram1Click() {}
void TMyForm::EraseProgramSecurity1Click() {}
void TMyForm::CheckErase1Click() {}

// ---- marker area ----
void TMyForm::MarkerArea1Click() {}
void TMyForm::MarkerOKButtonClick() {}

// ---- hardware test ----
void TMyForm::HardwareTest1Click() {}
void TMyForm::Config2ButtonClick() {}
void TMyForm::hardwareTestSend() {}

} // namespace kestro
