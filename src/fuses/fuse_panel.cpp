#include "fuses/fuse_panel.h"

#include "shell/tmyform.h"

#include <cstdio>

namespace kestro {

namespace {

constexpr int kGroupLeft = 5, kGroupWidth = 240;
constexpr int kInnerLeft = 10, kInnerOffset = 20;
constexpr int kListHeight = 15, kCheckBoxHeight = 15, kCheckBoxPitch = 20;
constexpr int kIdHeight = 20;

struct IdFieldShape {
    int width;
    int maxLength;
};
constexpr IdFieldShape idShape(IdWidth w) {
    return w == IdWidth::Pic18 ? IdFieldShape{135, 16} : IdFieldShape{40, 4};
}

int digitsOf(IdWidth w) { return 2 * static_cast<int>(w); }

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

Control& FusePanel::addGroup(int n, int top, int height, std::string_view caption) {
    Control& g = groupBox(n);
    g.visible = true;
    g.rect = {kGroupLeft, top, kGroupWidth, height};
    g.caption = caption;
    return g;
}

Control& FusePanel::addList(int n, int groupTop, std::span<const std::string_view> items,
                            int width) {
    Control& c = comboBox(n);
    c.visible = true;
    c.rect = {kInnerLeft, groupTop + kInnerOffset, width, kListHeight};
    setItems(c, items);
    return c;
}

void FusePanel::addCheckBoxes(int groupTop, std::span<const std::string_view> captions,
                              int first) {
    const int top = groupTop + kInnerOffset;
    for (size_t i = 0; i < captions.size(); ++i) {
        Control& c = checkBox(first + static_cast<int>(i));
        c.visible = true;
        c.rect = {kInnerLeft, top + kCheckBoxPitch * static_cast<int>(i), kListWidth,
                  kCheckBoxHeight};
        c.caption = captions[i];
        c.font.pixelSize = kSmallFontPx;
    }
}

Control& FusePanel::addCheckList(int n, int groupTop, int height,
                                 std::span<const std::string_view> items) {
    Control& c = checkListBox(n);
    c.visible = true;
    c.rect = {kInnerLeft, groupTop + kInnerOffset, kListWidth, height};
    setItems(c, items);
    return c;
}

Control& FusePanel::addIdField(int groupTop, IdWidth width) {
    Control& e = idField();
    const IdFieldShape shape = idShape(width);
    e.visible = true;
    e.rect = {kInnerLeft, groupTop + kInnerOffset, shape.width, kIdHeight};
    e.maxLength = shape.maxLength;
    return e;
}

void FusePanel::selectItem(int n, int index) {
    Control& c = comboBox(n);
    c.itemIndex = index >= 0 && static_cast<size_t>(index) < c.items.size() ? index : -1;
}

void FusePanel::fillIdField(IdWidth width) { idField().caption = idFieldText(st.images, width); }

void FusePanel::invertBits(std::initializer_list<int> bits) {
    for (int k : bits) setBit(k, !bit(k));
}

void loadBitView(FusePanelState& fuse, const Images& img) {
    const unsigned word = img.configBlock[1] << 8 | img.configBlock[0];
    for (size_t k = 0; k < fuse.bitView.size(); ++k) fuse.bitView[k] = (word >> k) & 1;
}

void storeBitView(const FusePanelState& fuse, Images& img) {
    unsigned word = 0;
    for (size_t k = 0; k < fuse.bitView.size(); ++k) word |= (fuse.bitView[k] & 1u) << k;
    img.configBlock[0] = static_cast<uint8_t>(word & 0xFF);
    img.configBlock[1] = static_cast<uint8_t>(word >> 8);
}

std::string idFieldText(const Images& img, IdWidth width) {
    std::string text;
    for (int k = 0; k < static_cast<int>(width); ++k) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", img.idBlock[static_cast<size_t>(k)]);
        text += hex;
    }
    return text;
}

std::optional<std::array<uint8_t, 8>> parseIdField(std::string_view text, IdWidth width) {
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t pos = 0;
    while (pos < text.size() && blank(text[pos])) ++pos;
    std::array<int, 16> digits{};
    const int count = digitsOf(width);
    for (int i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size()) return std::nullopt; // the token ends too early
        const char c = text[pos];
        if (c >= '0' && c <= '9') digits[static_cast<size_t>(i)] = c & 0x0F;
        else if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
            digits[static_cast<size_t>(i)] = (c & 0x0F) + 9;
        else return std::nullopt; // also a blank: the token was too short
    }
    std::array<uint8_t, 8> bytes{};
    for (int k = 0; k < count / 2; ++k)
        bytes[static_cast<size_t>(k)] =
            static_cast<uint8_t>(16 * digits[static_cast<size_t>(2 * k)] +
                                 digits[static_cast<size_t>(2 * k + 1)]);
    return bytes;
}

} // namespace kestro
