// The Process menu's handlers: lock, run the command's chain, unlock.

#include "ops/chains.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {
void runLocked(TMyForm& form, ProcessCommand command) {
    form.lockUserInterface(false);
    runProcess(form.ops, command);
    form.lockUserInterface(true);
}
} // namespace

void TMyForm::Identify1Click() { runLocked(*this, ProcessCommand::Identify); }

void TMyForm::Read1Click() {
    runLocked(*this, ProcessCommand::Read);
    model.focus = model.controlIndex("ProgGrid");
}

void TMyForm::ReadFuse1Click() { runLocked(*this, ProcessCommand::ReadFuse); }

void TMyForm::Erase1Click() {}
void TMyForm::Program1Click() {}
void TMyForm::Verify1Click() {}
void TMyForm::ProgramSecurity1Click() {}
void TMyForm::ProgramFuse1Click() {}
void TMyForm::EraseProgram1Click() {}
void TMyForm::EraseProgramSecurity1Click() {}
void TMyForm::CheckErase1Click() {}

} // namespace kestro
