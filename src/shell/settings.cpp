// The window's side of the settings file: read at start-up (a missing file is written
// with the start values), written at shut-down.

#include "session/settings_file.h"
#include "shell/tmyform.h"

namespace kestro {

int TMyForm::readSettings() {
    if (readSettingsFile(st.settings, st.device)) return 0;
    st.settings.portIndex = 0;
    st.device.index = 0;
    st.settings.verifyAfterProgram = false;
    st.settings.autoDataMemory = false;
    writeSettings();
    return -1;
}

void TMyForm::writeSettings() {
    if (!writeSettingsFile(st.settings, st.device)) showMessage("Can't Write ConfigFile!");
}

} // namespace kestro
