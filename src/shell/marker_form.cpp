// The form's marker area panel: opening it over the grid and confirming it.

#include "shell/tmyform.h"
#include "view/marker.h"

namespace kestro {

namespace {
constexpr int kMarkerPanelTop = 170;
}

void TMyForm::MarkerArea1Click() {
    lockUserInterface(false); // the panel's OK is the only way on
    Control& panel = model.control("MarkerPanel");
    panel.rect.top = kMarkerPanelTop;
    panel.visible = true;
    model.setFocus("StartEdit");
    MarkerArea& m = st.marker;
    if (!m.set) {
        m.enteredStart = 0;
        m.enteredEnd = st.device.dataSize - 1;
    }
    model.control("StartEdit").caption = markerFieldText(m.enteredStart);
    model.control("EndEdit").caption = markerFieldText(m.enteredEnd);
}

void TMyForm::MarkerOKButtonClick() {
    MarkerArea& m = st.marker;
    const uint32_t size = st.device.dataSize;
    m.enteredStart = parseMarkerField(model.control("StartEdit").caption, size);
    m.enteredEnd = parseMarkerField(model.control("EndEdit").caption, size);
    if (const MarkerCheck check = checkMarker(m.enteredStart, m.enteredEnd, size);
        check != MarkerCheck::Ok) {
        host.beep();
        showMessage(markerCheckMessage(check));
        model.setFocus("StartEdit");
        return;
    }
    m.start = m.enteredStart;
    m.end = m.enteredEnd;
    model.control("MarkerPanel").visible = false;
    lockUserInterface(true);
    m.set = true;
    model.control("SLabel").caption = markerLabelText(m.start, m.end);
}

} // namespace kestro
