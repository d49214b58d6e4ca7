#pragma once
// The window's reporter: the operation panel, the message boxes and the window's
// follow-ups (grid, fuse panel, device selection) as the operations see them.

#include "ops/reporter.h"

namespace kestro {

class TMyForm;

class FormReporter : public Reporter {
public:
    explicit FormReporter(TMyForm& form) : form_(form) {}

    void messageMode(std::string_view text, uint32_t color) override;
    void progressMode(std::string_view text, uint32_t total, uint32_t color) override;
    bool progressStep(uint32_t done) override;
    void status(std::string_view text) override;
    void holdUntilCancel(Fault kind, std::string_view text) override;
    void operatorInterrupt() override;
    void hidePanel() override;
    void beep() override;
    void waitMs(int ms) override;
    bool ask(const std::string& text, const std::string& caption) override;
    void failure(Fault kind, const std::string& text) override;
    void markerShown(uint32_t start, uint32_t end) override;
    void selectionChanged() override;
    void imageChanged() override;
    void fusesChanged() override;
    bool collectFuses() override;
    void lockLevelChosen(int entry) override;
    bool stopRequested() override;
    bool closing() override;
    void partlyErased(int sent, int packets) override;

private:
    TMyForm& form_;
};

} // namespace kestro
