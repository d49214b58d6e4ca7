// The form's hardware test: it takes over the fuse panel's area and controls, sends
// the pin pattern as often as the user likes, and gives the panel back on Cancel.

#include "hwtest/pin_pattern.h"
#include "shell/tmyform.h"

#include <string>
#include <vector>

namespace kestro {

namespace {

constexpr Rect kSetPanelPlace{505, 0, 250, 458};

struct TestList {
    const char* group;
    const char* caption;
    Rect groupRect;
    const char* list;
    Rect listRect;
};

// In table order: group, then its list.
constexpr TestList kTestLists[] = {
    {"GroupBox4", "VPP Connect To:", {5, 30, 240, 45}, "ComboBox1", {10, 45, 230, 15}},
    {"GroupBox5", "VPP:", {5, 80, 240, 45}, "ComboBox2", {10, 95, 230, 15}},
    {"GroupBox6", "VCE:", {5, 130, 240, 45}, "ComboBox3", {10, 145, 230, 15}},
    {"GroupBox7", "P0 Port:", {5, 180, 75, 130}, "CheckListBox1", {10, 195, 65, 110}},
    {"GroupBox8", "P1 Port:", {88, 180, 75, 130}, "CheckListBox2", {93, 195, 65, 110}},
    {"GroupBox9", "P2 Port:", {170, 180, 75, 130}, "CheckListBox3", {175, 195, 65, 110}},
};

std::vector<std::string> portItems(int port) {
    std::vector<std::string> items;
    for (int i = 0; i < 8; ++i) items.push_back("P" + std::to_string(port) + "." + std::to_string(i));
    return items;
}

template <class Items> std::vector<std::string> strings(const Items& items) {
    return {std::begin(items), std::end(items)};
}

void place(Control& c, Rect r, bool keepSize = false) {
    if (keepSize) {
        c.rect.left = r.left;
        c.rect.top = r.top;
    } else {
        c.rect = r;
    }
    c.visible = true;
}

} // namespace

void TMyForm::HardwareTest1Click() {
    hideSocketPicture();
    lockUserInterface(false);
    model.control("ProgDatButt").enabled = false;
    st.hwTest.mode = true;
    DelFuse();
    model.defaultButton = model.controlIndex("ConfigLargeButton");

    Control& send = model.control("ConfigLargeButton");
    Control& cancel = model.control("Config2Button");
    send.visible = cancel.visible = true;
    lockUserInterface(false);
    model.control("SetPanel").rect = kSetPanelPlace;
    place(send, {25, 330, 0, 0}, true);
    place(cancel, {150, 330, 0, 0}, true);
    send.caption = "Send";
    cancel.caption = "Cancel";
    model.control("FuseLabel").caption = "Hardware Test Settings";
    const std::vector<std::string> lists[] = {
        strings(vppPinItems(st.adapter.socketVariant)), strings(kVppLevelItems),
        strings(kVceLevelItems), portItems(0), portItems(1), portItems(2)};
    for (size_t k = 0; k < std::size(kTestLists); ++k) {
        const TestList& t = kTestLists[k];
        Control& group = model.control(t.group);
        place(group, t.groupRect);
        group.caption = t.caption;
        Control& list = model.control(t.list);
        place(list, t.listRect);
        list.items = lists[k];
        list.itemChecked.assign(list.items.size(), 0);
        list.itemIndex = list.kind == ControlKind::ComboBox ? 0 : -1;
    }
    host.messageBox("Remove Devices From Sockets !", "WARNING !", MsgIcon::Warning, MsgButtons::Ok);
}

void TMyForm::hardwareTestSend() {
    std::array<uint8_t, 3> ports{};
    for (size_t p = 0; p < ports.size(); ++p) {
        const Control& list = model.control(kTestLists[3 + p].list);
        for (size_t i = 0; i < 8 && i < list.itemChecked.size(); ++i)
            if (list.itemChecked[i]) ports[p] |= static_cast<uint8_t>(1u << i);
    }
    const DriveBytes d = driveBytes(st.adapter.socketVariant, model.control("ComboBox1").itemIndex,
                                    model.control("ComboBox2").itemIndex,
                                    model.control("ComboBox3").itemIndex);
    session.sendTestPattern(ports, d); // a failure has been shown; the panel stays
}

void TMyForm::Config2ButtonClick() {
    session.releaseTestPattern(); // an unplugged adapter must not keep the test
    model.defaultButton = -1;
    DelFuse();
    SetFuse(2);
    st.hwTest.mode = false;
    model.control("ProgDatButt").enabled = true;
    lockUserInterface(true);
}

} // namespace kestro
