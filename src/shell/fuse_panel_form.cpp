#include "shell/fuse_panel.h"

#include "fuses/fuse_codec.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {

constexpr int kListHeight = 15, kCheckBoxHeight = 15, kCheckBoxPitch = 20;
constexpr int kIdHeight = 20;

struct IdFieldShape {
    int width;
    int maxLength;
};
constexpr IdFieldShape idShape(IdWidth w) {
    return w == IdWidth::Pic18 ? IdFieldShape{135, 16} : IdFieldShape{40, 4};
}

void setItems(Control& c, std::span<const std::string_view> items) {
    c.items.assign(items.begin(), items.end());
    c.itemIndex = -1;
    c.itemChecked.assign(items.size(), 0);
}

} // namespace

FusePanel::FusePanel(TMyForm& f) : form(f), model(f.model), st(f.st) {}

Control& FusePanel::slot(int position) {
    return model.controls[static_cast<size_t>(st.fuse.controls[static_cast<size_t>(position)])];
}

Control& FusePanel::groupBox(int n) { return slot(kGroupSlot + n); }
Control& FusePanel::comboBox(int n) { return slot(kComboSlot + n); }
Control& FusePanel::checkBox(int n) { return slot(kCheckBoxSlot + n); }
Control& FusePanel::checkListBox(int n) { return slot(kCheckListSlot + n); }
Control& FusePanel::idField() { return slot(kIdFieldSlot); }

Control& FusePanel::addGroup(int n, Rect place, std::string_view caption) {
    Control& g = groupBox(n);
    g.visible = true;
    g.rect = place;
    g.caption = caption;
    return g;
}

Control& FusePanel::addList(int n, Anchor at, Items items, int width, bool smallFont) {
    Control& c = comboBox(n);
    c.visible = true;
    c.rect = {at.left, at.top, width, kListHeight};
    c.font.pixelSize = smallFont ? kSmallFontPx : kPanelFontPx;
    setItems(c, items);
    return c;
}

Control& FusePanel::addCheckBox(int n, Anchor at, int position, std::string_view caption) {
    Control& c = checkBox(n);
    c.visible = true;
    c.rect = {at.left, at.top + kCheckBoxPitch * position, kListWidth, kCheckBoxHeight};
    c.caption = caption;
    c.font.pixelSize = kSmallFontPx;
    return c;
}

Control& FusePanel::addCheckList(int n, Anchor at, int height,
                                 std::span<const std::string_view> items) {
    Control& c = checkListBox(n);
    c.visible = true;
    c.rect = {at.left, at.top, kListWidth, height};
    c.font.pixelSize = kSmallFontPx;
    setItems(c, items);
    return c;
}

Control& FusePanel::addIdField(Anchor at, IdWidth width) {
    Control& e = idField();
    const IdFieldShape shape = idShape(width);
    e.visible = true;
    e.rect = {at.left, at.top, shape.width, kIdHeight};
    e.maxLength = shape.maxLength;
    return e;
}

FuseValues FusePanel::values() {
    FuseValues v;
    for (int n = 0; n < kListCount; ++n)
        v.list[static_cast<size_t>(n)] = comboBox(n).itemIndex;
    for (int n = 0; n < kBoxCount; ++n)
        v.box[static_cast<size_t>(n)] = checkBox(n).checked;
    for (int n = 0; n < kCheckListCount; ++n) {
        const auto& checked = checkListBox(n).itemChecked;
        for (size_t i = 0; i < checked.size() && i < 16; ++i)
            v.setChecked(n, static_cast<int>(i), checked[i] != 0);
    }
    v.id = idField().caption;
    return v;
}

void FusePanel::show(const FuseValues& v) {
    for (int n = 0; n < kListCount; ++n) {
        Control& c = comboBox(n);
        const int index = v.list[static_cast<size_t>(n)];
        c.itemIndex = index >= 0 && static_cast<size_t>(index) < c.items.size() ? index : -1;
    }
    for (int n = 0; n < kBoxCount; ++n)
        checkBox(n).checked = v.box[static_cast<size_t>(n)];
    for (int n = 0; n < kCheckListCount; ++n) {
        auto& checked = checkListBox(n).itemChecked;
        for (size_t i = 0; i < checked.size() && i < 16; ++i)
            checked[i] = v.checked(n, static_cast<int>(i)) ? 1 : 0;
    }
    idField().caption = v.id;
}

FuseBytes FusePanel::bytes() const {
    FuseBytes b;
    b.config = st.images.configBlock;
    b.id = st.images.idBlock;
    b.bitView = st.fuse.bitView;
    b.lockMode = st.fuse.lockMode;
    b.filePair = st.fuse.fuseFilePair;
    return b;
}

void FusePanel::store(const FuseBytes& b) {
    st.images.configBlock = b.config;
    st.images.idBlock = b.id;
    st.fuse.bitView = b.bitView;
    st.fuse.lockMode = b.lockMode;
    st.fuse.fuseFilePair = b.filePair;
}

} // namespace kestro
