// The form's fuse and configuration panel: clearing it, building and filling the
// layout of the selected device, and reading it back into the fuse bytes.

#include "buffers/images.h"
#include "fuses/fuse_layouts.h"
#include "fuses/fuse_panel.h"
#include "shell/tmyform.h"

#include <algorithm>

namespace kestro {

namespace {
bool isPic18(int deviceIndex) { return picCoreOf(deviceIndex) == PicCore::Pic18; }
} // namespace

void TMyForm::DelFuse() {
    for (int i : st.fuse.controls)
        if (i >= 0) model.controls[static_cast<size_t>(i)].visible = false;
    model.control("ConfigLargeButton").visible = false;
    model.control("Config2Button").visible = false;
}

void TMyForm::SetFuse(uint8_t mode) {
    // PIC18 keeps fourteen configuration bytes; the word view would only mislead it.
    if (!isPic18(st.device.index)) loadBitView(st.fuse, st.images);
    Control& title = model.control("FuseLabel");
    title.caption.clear();
    model.control("SetPanel").rect = kSetPanelPlace;
    const FuseLayout* layout = fuseLayoutFor(st.device.index);
    if (!layout) return;
    FusePanel panel(*this);
    if (mode > 1) layout->build(panel);
    if (mode > 0) {
        // A refresh keeps the built layout, so it keeps its title too.
        title.caption = "Config bits:";
        layout->fill(panel);
    }
}

int TMyForm::GetFuse() {
    const FuseLayout* layout = fuseLayoutFor(st.device.index);
    if (!layout) return 0;
    FusePanel panel(*this);
    layout->readBack(panel);
    if (!st.device.picFlag) return 0;
    if (!isPic18(st.device.index)) storeBitView(st.fuse, st.images); // 12- and 14-bit cores
    const IdWidth width = isPic18(st.device.index) ? IdWidth::Pic18 : IdWidth::Pic16;
    const auto id = parseIdField(panel.idField().caption, width);
    if (!id) {
        showMessage("Incorrect ID number !");
        return 1;
    }
    std::copy_n(id->begin(), static_cast<int>(width), st.images.idBlock.begin());
    return 0;
}

void TMyForm::ConfigLargeButtonClick() {
    if (st.hwTest.mode) {
        hardwareTestSend();
        return;
    }
    GetFuse(); // a bad ID field must not block the view switch
    st.fuse.largeView = st.fuse.largeView == 0 ? 1 : 0;
    SetFuse(2);
}

} // namespace kestro
