#include "support/fake_host.h"

namespace kestro::test {

void FakeHost::sleepMs(int ms) {
    sleeps.push_back(ms);
    sleptMs += static_cast<uint64_t>(ms);
    clock.advance(static_cast<uint64_t>(ms));
}

void FakeHost::wait(int ms, const std::function<bool()>& stop) {
    ++waits;
    if (onWait) onWait(ms);
    if (stop()) return;
    sleepMs(ms);
}

void FakeHost::beep() { ++beeps; }

void FakeHost::processMessages() {
    ++pumps;
    if (onPump) onPump(pumps);
}

MsgAnswer FakeHost::messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                               MsgButtons buttons) {
    messages.push_back({text, caption, icon, buttons});
    if (onMessage) onMessage(messages.back());
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (yesNoAnswers.empty()) return MsgAnswer::No;
    const MsgAnswer a = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return a;
}

std::optional<std::string> FakeHost::openFileDialog(const std::string& filter,
                                                    const std::string& initialDir) {
    lastDialogFilter = filter;
    lastDialogDir = initialDir;
    if (openAnswers.empty()) return std::nullopt;
    auto a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

std::optional<std::string> FakeHost::saveFileDialog(const std::string& filter,
                                                    const std::string& initialDir,
                                                    const std::string& fileName) {
    lastDialogFilter = filter;
    lastDialogDir = initialDir;
    lastSaveName = fileName;
    if (saveAnswers.empty()) return std::nullopt;
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

std::vector<std::string> FakeHost::texts() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
}

} // namespace kestro::test
