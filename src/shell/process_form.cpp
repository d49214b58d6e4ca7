// The Process menu's handlers: lock, run the command's chain, unlock.

#include "ops/chains.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {
void runLocked(TMyForm& form, ProcessCommand command) {
    form.lockUserInterface(false);
    form.session.run(command);
    form.sayChainStopped();
    form.lockUserInterface(true);
}
} // namespace

void TMyForm::Identify1Click() { runLocked(*this, ProcessCommand::Identify); }

void TMyForm::Read1Click() {
    runLocked(*this, ProcessCommand::Read);
    model.setFocus("ProgGrid");
}

void TMyForm::ReadFuse1Click() { runLocked(*this, ProcessCommand::ReadFuse); }

void TMyForm::Erase1Click() { runLocked(*this, ProcessCommand::Erase); }
void TMyForm::Program1Click() { runLocked(*this, ProcessCommand::Program); }
void TMyForm::Verify1Click() { runLocked(*this, ProcessCommand::Verify); }
void TMyForm::ProgramSecurity1Click() { runLocked(*this, ProcessCommand::ProgramSecurity); }
void TMyForm::ProgramFuse1Click() { runLocked(*this, ProcessCommand::ProgramFuse); }
void TMyForm::EraseProgram1Click() { runLocked(*this, ProcessCommand::EraseProgram); }
void TMyForm::EraseProgramSecurity1Click() {
    runLocked(*this, ProcessCommand::EraseProgramSecurity);
}
void TMyForm::CheckErase1Click() { runLocked(*this, ProcessCommand::CheckErase); }

} // namespace kestro
