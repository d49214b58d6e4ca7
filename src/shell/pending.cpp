// Handlers whose subsystems are not built yet. Each subsystem moves its handlers out
// of here into its own form file.

#include "shell/tmyform.h"

namespace kestro {

// ---- hardware test ----
void TMyForm::HardwareTest1Click() {}
void TMyForm::Config2ButtonClick() {}
void TMyForm::hardwareTestSend() {}

} // namespace kestro
