// Handlers whose subsystems are not built yet. Each subsystem moves its handlers out
// of here into its own form file.

#include "shell/tmyform.h"

namespace kestro {

// ---- marker area ----
void TMyForm::MarkerArea1Click() {}
void TMyForm::MarkerOKButtonClick() {}

// ---- hardware test ----
void TMyForm::HardwareTest1Click() {}
void TMyForm::Config2ButtonClick() {}
void TMyForm::hardwareTestSend() {}

} // namespace kestro
