// The two Setup toggles that extend Program, and the captions that show them.

#include "shell/tmyform.h"

namespace kestro {

void TMyForm::refreshSetupCaptions() {
    const bool verify = st.settings.verifyAfterProgram;
    MenuItem& v = model.menu("VerifyafterProgram1");
    v.checked = verify;
    v.caption = verify ? "Verify after Program  [ X ]" : "Verify after Program  [   ]";
    model.menu("Program1").caption = verify ? "Program+Verify" : "Program";
    model.menu("EraseProgram1").caption = verify ? "Erase+Program+Verify" : "Erase+Program";
    model.menu("EraseProgramSecurity1").caption =
        verify ? "Erase+Program+Verify+Security" : "Erase+Program+Security";

    const bool autoData = st.settings.autoDataMemory;
    MenuItem& a = model.menu("AutoDataMemoryProgram1");
    a.checked = autoData;
    a.caption = autoData ? "Auto Data Memory Program  [ X ]" : "Auto Data Memory Program  [   ]";
}

void TMyForm::VerifyafterProgram1Click() {
    st.settings.verifyAfterProgram = !st.settings.verifyAfterProgram;
    refreshSetupCaptions();
}

void TMyForm::AutoDataMemoryProgram1Click() {
    st.settings.autoDataMemory = !st.settings.autoDataMemory;
    refreshSetupCaptions();
}

void TMyForm::ProcCancelClick() { st.ops.cancel = true; }

void TMyForm::ProcCancelKeyPress(int key) {
    if (key == 27) st.ops.cancel = true; // Escape; every other key does nothing
}

} // namespace kestro
