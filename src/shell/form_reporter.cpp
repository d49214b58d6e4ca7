#include "shell/form_reporter.h"

#include "shell/tmyform.h"
#include "view/marker.h"

namespace kestro {

namespace {
constexpr int kHoldPumpMs = 20;
}

void FormReporter::messageMode(std::string_view text, uint32_t color) {
    form_.messageMode(text, color);
}

void FormReporter::progressMode(std::string_view text, uint32_t total, uint32_t color) {
    form_.progressMode(text, total, color);
}

bool FormReporter::progressStep(uint32_t done) {
    form_.host.processMessages();
    if (form_.stopRequested()) return true;
    form_.progressUpdate(done);
    return false;
}

void FormReporter::status(std::string_view text) {
    form_.model.control("ProcLabel").caption = text;
    form_.host.repaint();
}

void FormReporter::holdUntilCancel(Fault, std::string_view text) {
    status(text);
    // Short naps between pumps: waiting for the user must not spin the processor.
    for (;;) {
        form_.host.processMessages();
        if (form_.stopRequested()) break;
        form_.host.sleepMs(kHoldPumpMs);
    }
    // Cancel answered the display; it stops nothing that follows.
    if (!form_.closeRequested()) form_.st.ops.cancel = false;
}

void FormReporter::operatorInterrupt() { form_.operatorInterrupt(); }
void FormReporter::hidePanel() { form_.hidePanel(); }
void FormReporter::beep() { form_.host.beep(); }
void FormReporter::waitMs(int ms) {
    form_.host.wait(ms, [this] { return form_.closeRequested(); });
}

bool FormReporter::ask(const std::string& text, const std::string& caption) {
    return form_.host.messageBox(text, caption, MsgIcon::Question, MsgButtons::YesNo) ==
           MsgAnswer::Yes;
}

void FormReporter::failure(Fault, const std::string& text) { form_.showMessage(text); }

void FormReporter::markerShown(uint32_t start, uint32_t end) {
    form_.model.control("SLabel").caption = markerLabelText(start, end);
}

void FormReporter::selectionChanged() { form_.selectDevice(); }

void FormReporter::imageChanged() {
    form_.gridSetup();
    form_.refreshGrid();
}

void FormReporter::fusesChanged() { form_.SetFuse(1); }

bool FormReporter::collectFuses() { return form_.GetFuse() == 0; }

void FormReporter::lockLevelChosen(int entry) {
    Control& list = form_.model.control("ComboBox1"); // the lock list of every layout that has one
    list.itemIndex = entry < static_cast<int>(list.items.size()) ? entry : -1;
}

bool FormReporter::stopRequested() {
    form_.host.takeInput();
    return form_.stopRequested();
}

bool FormReporter::closing() { return form_.closeRequested(); }

// Only a window that is going away cuts an erase short: nobody is left to tell.
void FormReporter::partlyErased(int, int) {}

} // namespace kestro
