// The operation panel and the user-interface lock shared by every chip operation:
// what the window's reporter draws.

#include "shell/tmyform.h"

#include <cstdio>

namespace kestro {

namespace {
constexpr const char* kTopMenus[] = {"File1",  "Process1", "MicroControllers1", "SerialEEPROMs1",
                                     "ParallelEEPROMs1", "Others1", "Setup1", "Help1"};
}

void TMyForm::messageMode(std::string_view text, uint32_t color) {
    Control& label = model.control("ProcLabel");
    label.font.color = color;
    label.caption = text;
    model.control("PosLabel").visible = false;
    model.control("ProcBar").visible = false;
    model.control("ProcCancel").visible = false;
    Control& panel = model.control("ProcPanel");
    panel.rect.height = 40;
    panel.visible = true;
    host.repaint();
}

void TMyForm::progressMode(std::string_view text, uint32_t total, uint32_t color) {
    st.ops.cancel = false;
    model.control("PosLabel").visible = true;
    model.control("ProcBar").visible = true;
    model.control("ProcCancel").visible = true;
    Control& label = model.control("ProcLabel");
    label.font.color = color;
    label.caption = text;
    model.control("PosLabel").caption = "000000h";
    Control& bar = model.control("ProcBar");
    bar.position = 0;
    bar.maxValue = static_cast<int>(total + kBlockSize);
    bar.barColor = color;
    Control& panel = model.control("ProcPanel");
    panel.rect.height = 80;
    panel.visible = true;
    host.repaint();
    model.setFocus("ProcCancel");
}

void TMyForm::progressUpdate(uint32_t done) {
    st.ops.msgText = addressText(st.marker.start + done);
    model.control("PosLabel").caption = st.ops.msgText;
    model.control("ProcBar").position = static_cast<int>(done);
    host.repaint();
}

void TMyForm::hidePanel() { model.control("ProcPanel").visible = false; }

void TMyForm::lockUserInterface(bool enable) {
    MenuItem& nihil = model.menu("nihil");
    if (!enable) nihil.visible = true; // never leave the menu bar empty
    for (const char* name : kTopMenus) model.menu(name).visible = enable;
    nihil.visible = !enable;
    model.control("ProgGrid").enabled = enable;
    operationRunning_ = !enable;
}

void TMyForm::operatorInterrupt() {
    if (closeRequested_) { // the window is closing: end quietly
        hidePanel();
        return;
    }
    interruptShown_ = true;
    model.control("ProcLabel").caption = "Operator Interrupt";
    host.repaint();
    host.beep();
    host.wait(2000, [this] { return closeRequested_; });
    hidePanel();
}

void TMyForm::sayChainStopped() {
    const bool stoppedBetween = st.ops.stopTaken && !interruptShown_ && !closeRequested_;
    interruptShown_ = false;
    if (!stoppedBetween) return;
    // The panel of the last operation is gone: show it again, in that operation's
    // colour, for the ending.
    messageMode("Operator Interrupt", model.control("ProcLabel").font.color);
    operatorInterrupt();
}

bool TMyForm::FormCloseQuery(bool asked) {
    // The PIC18 large view locks the menus too, but no operation runs in it.
    if (!operationRunning_ || st.fuse.largeView) return true;
    if (asked && !closeRequested_ &&
        host.messageBox(kStopAndCloseQuestion, kAppTitle, MsgIcon::Question, MsgButtons::YesNo) !=
            MsgAnswer::Yes)
        return false;
    closeRequested_ = true;
    return false;
}

} // namespace kestro
