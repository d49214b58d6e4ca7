// The form's fuse and configuration panel: clearing it, building and filling the
// layout of the selected device, and reading it back into the fuse bytes.

#include "fuses/fuse_codec.h"
#include "fuses/fuse_layouts.h"
#include "shell/fuse_panel.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {

// PIC18: the view toggle button, and the large view that locks the menus and the
// grid while it covers the window.
void showView(TMyForm& form, const ViewToggle& views) {
    const int v = form.st.fuse.largeView ? 1 : 0;
    Control& button = form.model.control("ConfigLargeButton");
    button.visible = true;
    form.lockUserInterface(v == 0);
    const ViewToggle::Place& p = views.panel[v];
    form.model.control("SetPanel").rect = {p.left, p.top, p.width, p.height};
    button.rect.left = views.button[v].left;
    button.rect.top = views.button[v].top;
    button.caption = views.caption[v];
}

} // namespace

void TMyForm::DelFuse() {
    for (int i : st.fuse.controls)
        if (i >= 0) model.controls[static_cast<size_t>(i)].visible = false;
    model.control("ConfigLargeButton").visible = false;
    model.control("Config2Button").visible = false;
}

void TMyForm::SetFuse(uint8_t mode) {
    const FuseLayout* layout = fuseLayoutFor(st.device.index);
    // PIC18 keeps fourteen configuration bytes; the word view would only mislead it.
    if (!layout || layout->desc->working == Working::BitView)
        st.fuse.bitView = wordBits(st.images.configBlock);
    Control& title = model.control("FuseLabel");
    title.caption.clear();
    model.control("SetPanel").rect = kSetPanelPlace;
    if (!layout) return;
    const LayoutDesc& desc = *layout->desc;
    if (desc.views) showView(*this, *desc.views);
    FusePanel panel(*this);
    if (mode > 1) buildLayout(panel, desc, st.device.index, st.fuse.largeView);
    if (mode > 0) {
        // A refresh keeps the built layout, so it keeps its title too.
        title.caption = "Config bits:";
        fillLayout(panel, desc, st.device.index);
    }
}

int TMyForm::GetFuse() {
    const FuseLayout* layout = fuseLayoutFor(st.device.index);
    if (!layout) return 0;
    FusePanel panel(*this);
    if (readBackLayout(panel, *layout->desc, st.device.index)) return 0;
    showMessage("Incorrect ID number !");
    return 1;
}

void TMyForm::ConfigLargeButtonClick() {
    if (st.hwTest.mode) {
        hardwareTestSend();
        return;
    }
    GetFuse(); // a bad ID field must not block the view switch
    st.fuse.largeView = !st.fuse.largeView;
    SetFuse(2);
}


} // namespace kestro
