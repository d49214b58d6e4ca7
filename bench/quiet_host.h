#pragma once
// A host for benchmarks: fixed waits and dialogs cost nothing, so only the work is timed.

#include "shell/host.h"

#include <cstdio>

namespace kestro::bench {

class QuietHost : public Host {
public:
    uint64_t nowMs() override { return 0; }
    void sleepMs(int) override {}
    void beep() override {}
    void processMessages() override {}
    void wait(int, const std::function<bool()>&) override {}
    void takeInput() override {}
    void repaint() override {}
    MsgAnswer messageBox(const std::string& text, const std::string&, MsgIcon,
                         MsgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return MsgAnswer::Ok;
    }
    std::optional<std::string> openFileDialog(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFileDialog(const std::string&, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
    std::optional<int> chooseItem(const std::string&, const std::string&, const std::vector<std::string>&,
                                  int) override {
        return std::nullopt;
    }
    void startTimer(int) override {}
    void stopTimer() override {}
    void terminate() override {}
};

} // namespace kestro::bench
