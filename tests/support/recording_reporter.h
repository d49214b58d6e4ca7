#pragma once
// A reporter without any window: records what an operation showed and asked, on a
// virtual clock.

#include "ops/reporter.h"
#include "sim/virtual_clock.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kestro::test {

struct RecordingReporter : Reporter {
    explicit RecordingReporter(VirtualClock& c) : clock(c) {}

    void messageMode(std::string_view text, uint32_t) override { log("message " + std::string(text)); }
    void progressMode(std::string_view text, uint32_t total, uint32_t) override {
        log("progress " + std::string(text) + " " + std::to_string(total));
    }
    bool progressStep(uint32_t done) override {
        steps.push_back(done);
        return stopAfterSteps > 0 && steps.size() >= stopAfterSteps;
    }
    void status(std::string_view text) override { log("status " + std::string(text)); }
    void holdUntilCancel(Fault kind, std::string_view text) override {
        faults.push_back(kind);
        log("hold " + std::string(text));
    }
    void operatorInterrupt() override { log("interrupt"); }
    void hidePanel() override { ++hides; }
    void beep() override { ++beeps; }
    void waitMs(int ms) override { clock.advance(static_cast<uint64_t>(ms)); }
    bool ask(const std::string& text, const std::string&) override {
        log("ask " + text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void failure(Fault kind, const std::string& text) override {
        faults.push_back(kind);
        log("failure " + text);
    }
    void markerShown(uint32_t start, uint32_t end) override {
        log("marker " + std::to_string(start) + ".." + std::to_string(end));
    }
    void selectionChanged() override { log("selection"); }
    void imageChanged() override { log("image"); }
    void fusesChanged() override { log("fuses"); }
    bool collectFuses() override {
        log("collect fuses");
        return fusesUsable;
    }
    void lockLevelChosen(int entry) override { log("lock entry " + std::to_string(entry)); }
    bool stopRequested() override { return stopping; }
    bool closing() override { return closingNow; }
    void partlyErased(int sent, int packets) override {
        log("partly erased " + std::to_string(sent) + "/" + std::to_string(packets));
    }

    void log(std::string line) { events.push_back(std::move(line)); }

    VirtualClock& clock;
    std::vector<std::string> events;
    std::vector<Fault> faults;
    std::vector<uint32_t> steps;
    std::deque<bool> answers; // Yes/No questions take these in turn; default No
    size_t stopAfterSteps = 0; // 0: never stop
    bool fusesUsable = true;
    bool stopping = false;
    bool closingNow = false;
    int hides = 0;
    int beeps = 0;
};

} // namespace kestro::test
