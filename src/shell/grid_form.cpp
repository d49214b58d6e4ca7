// The form's side of the hex grid: set-up after a device or view change, and the
// cell texts the grid widget asks for while it paints.

#include "buffers/images.h"
#include "shell/tmyform.h"
#include "view/hex_grid.h"

#include <cstring>

namespace kestro {

void TMyForm::gridSetup() {
    const SelectedDevice& dev = st.device;
    model.control("TypeLabel").caption = dev.name;
    Control& toggle = model.control("ProgDatButt");
    toggle.enabled = dev.programSize > 0 && dev.dataSize > 0;
    if (dev.programSize == 0 && dev.dataSize == 0) return; // "unknown": keep the last grid
    normaliseView(st.images, dev);
    const bool dataView = st.images.view == DataView;
    const uint32_t size = dataView ? dev.dataSize : dev.programSize;
    model.control("SizeLabel").caption = sizeText(dataView ? "Data Size: " : "Program Size: ", size);
    gridHeader[0] = dataView ? "Data" : "Program";
    gridRowCountStep(size);
}

void TMyForm::gridRowCountStep(uint32_t size) {
    shownSize = size;
    model.control("ProgGrid").rowCount = gridRowCount(size);
    refreshGrid(); // a new grid revision also drops the selection
}

void TMyForm::refreshGrid() { ++model.gridRevision; }

void TMyForm::gridPaintPass() { applyPicMask(st.images, st.device, shownSize); }

std::string TMyForm::cellText(int row, int col) {
    if (row == 0) return col >= 0 && col < kGridColumns ? gridHeader[static_cast<size_t>(col)] : "";
    char text[kCellTextMax];
    const size_t n = formatCell(gridSource(st.images, st.device, shownSize), row, col, text);
    return std::string(text, n);
}

} // namespace kestro
