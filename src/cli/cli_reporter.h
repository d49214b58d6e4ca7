#pragma once
// The command line's reporter: the operation panel as a progress line, message boxes
// as lines on stderr, the Yes/No question answered by an option or a prompt, real
// waits, and Ctrl+C as Cancel. It keeps the first failure of each step for the exit
// code.

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "fuses/layout_desc.h"
#include "ops/reporter.h"
#include "session/state.h"

#include <functional>
#include <string>

namespace kestro::cli {

struct StepFailure {
    ExitCode code = ExitCode::Done;
    Fault fault = Fault::None;
    std::string text;
    bool hasDifference = false; // verify or blank check: where and what
    Difference difference;
    std::string foundPart; // identification found another chip of the family
    int erasePacketsSent = 0; // a multi-packet erase cut short: packets sent of all
    int erasePackets = 0;
};

class CliReporter : public Reporter {
public:
    CliReporter(Console& console, State& st, Answer answer, bool noWaits);

    // A second Ctrl+C during a fixed wait or a block transfer calls this, once the
    // reporter has said so: restore the port and end.
    std::function<void()> onAbort;
    // Ends the program through onAbort when Ctrl+C came twice; the waits ask at once.
    void abortOnSecondInterrupt();

    // Forgets the failure of the step before.
    void beginStep();
    const StepFailure& failure() const { return failure_; }
    bool failed() const { return failure_.code != ExitCode::Done; }
    // Puts back a failure a later look (--diff) must not replace.
    void restoreFailure(const StepFailure& f) { failure_ = f; }
    // Records a failure found by the front end itself (files, unknown chip).
    void fail(ExitCode code, const std::string& text);
    bool unknownDeviceShown() const { return unknownShown_; }
    bool interrupted();

    void messageMode(std::string_view text, uint32_t color) override;
    void progressMode(std::string_view text, uint32_t total, uint32_t color) override;
    bool progressStep(uint32_t done) override;
    void status(std::string_view text) override;
    void holdUntilCancel(Fault kind, std::string_view text) override;
    void operatorInterrupt() override;
    void hidePanel() override;
    void beep() override;
    void waitMs(int ms) override;
    // Left out unless --window-timing: nobody watches the text it holds.
    void shownWaitMs(int ms) override;
    // Every wait as the window has it (--window-timing).
    bool windowTiming = false;
    bool ask(const std::string& text, const std::string& caption) override;
    void failure(Fault kind, const std::string& text) override;
    void markerShown(uint32_t start, uint32_t end) override;
    void selectionChanged() override;
    void imageChanged() override {}
    void fusesChanged() override {}
    bool collectFuses() override;
    // The user's fuse settings, applied to what the fuse bytes show before they are
    // composed again.
    std::function<void(FuseValues&)> adjustFuses;
    // Program Fuse is left out: nothing gave fuse bytes (the step has said so).
    bool skipFuses = false;
    void lockLevelChosen(int entry) override;
    // Ctrl+C is the stop request and the going away at once: the window's Cancel and
    // its close.
    bool stopRequested() override { return interrupted(); }
    bool closing() override { return interrupted(); }
    void partlyErased(int sent, int packets) override;

private:
    void record(ExitCode code, Fault fault, std::string_view text);
    uint32_t transferBytes() const;
    bool partlyProgrammed() const;

    Console& console_;
    State& st_;
    Answer answer_;
    bool noWaits_;
    StepFailure failure_;
    bool unknownShown_ = false;
    std::string chosenPart_;
    uint32_t done_ = 0; // bytes of the transfer moved, as the last block left them
};

} // namespace kestro::cli
