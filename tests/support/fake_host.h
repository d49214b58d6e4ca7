#pragma once
// A host on a virtual clock that records what the core asked of it.

#include "shell/host.h"
#include "sim/virtual_clock.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MsgIcon icon;
    MsgButtons buttons;
};

class FakeHost : public Host {
public:
    uint64_t nowMs() override { return clock.nowMs; }
    void sleepMs(int ms) override;
    void beep() override;
    void processMessages() override;
    void wait(int ms, const std::function<bool()>& stop) override;
    void takeInput() override {
        ++inputTakes;
        if (onTakeInput) onTakeInput(inputTakes);
    }
    void repaint() override {
        ++repaints;
        if (onRepaint) onRepaint();
    }
    MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons) override;
    std::optional<std::string> openFileDialog(const std::string& filter,
                                              const std::string& initialDir) override;
    std::optional<std::string> saveFileDialog(const std::string& filter,
                                              const std::string& initialDir,
                                              const std::string& fileName) override;
    std::optional<int> chooseItem(const std::string& caption, const std::string& label,
                                  const std::vector<std::string>& items, int current) override {
        choices.push_back({caption, label, items, current});
        if (chooseAnswers.empty()) return std::nullopt;
        const auto a = chooseAnswers.front();
        chooseAnswers.pop_front();
        return a;
    }
    void startTimer(int ms) override { timerMs = ms; }
    void stopTimer() override { timerMs = 0; }
    void terminate() override { ++terminations; }

    // Texts of every message box so far.
    std::vector<std::string> texts() const;

    // Shared with SimSerialPort: sleeps and read time-outs both move it.
    VirtualClock clock;
    uint64_t sleptMs = 0;
    std::vector<int> sleeps;
    int beeps = 0;
    int pumps = 0;
    int inputTakes = 0;
    int waits = 0;
    int repaints = 0;
    int terminations = 0;
    int timerMs = 0;
    std::vector<ShownMessage> messages;
    std::deque<MsgAnswer> yesNoAnswers; // Yes/No boxes take these in turn; default No
    std::deque<std::optional<std::string>> openAnswers;
    struct Choice {
        std::string caption, label;
        std::vector<std::string> items;
        int current;
    };
    std::vector<Choice> choices;
    std::deque<std::optional<int>> chooseAnswers; // default: backed out
    std::deque<std::optional<std::string>> saveAnswers;
    std::string lastDialogFilter, lastDialogDir, lastSaveName;
    // Runs at every message pump, as a user would act between blocks.
    std::function<void(int pump)> onPump;
    // Runs as input is taken between the steps of an operation.
    std::function<void(int take)> onTakeInput;
    // Runs as a fixed wait starts; a stop it asks for ends the wait at once.
    std::function<void(int ms)> onWait;
    // Runs at every forced repaint (panel texts the user would see).
    std::function<void()> onRepaint;
    // Runs whenever a message box is shown.
    std::function<void(const ShownMessage&)> onMessage;
};

} // namespace kestro::test
