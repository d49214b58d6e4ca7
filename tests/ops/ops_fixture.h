#pragma once
// A started form with the adapter double on COM1, and ways to look at what the
// adapter received and what the operation panel showed.

#include "support/form_fixture.h"

#include <string>
#include <vector>

namespace kestro::test {

struct OpsFixture : StartedForm {
    std::vector<std::string> panelTexts; // ProcLabel text at every forced repaint

    void SetUp() override {
        StartedForm::SetUp();
        host.onRepaint = [this] {
            const std::string& t = form.model.control("ProcLabel").caption;
            if (panelTexts.empty() || panelTexts.back() != t) panelTexts.push_back(t);
        };
    }
    // Selects a device with that chip in the socket.
    void selectWithChip(int device, int chip) {
        adapter.chip = SimChip::blank(chip);
        select(device);
        host.messages.clear();
        adapter.packets.clear();
        base = adapter.received.size();
        panelTexts.clear();
    }
    // The adapter goes silent from the k-th byte the program sends from now on.
    void silentFrom(size_t k) {
        adapter.faults.silentFromByte = static_cast<uint32_t>(adapter.received.size() + k);
    }
    // Bytes the adapter received since the device was selected.
    std::vector<uint8_t> sent() const {
        return {adapter.received.begin() + static_cast<std::ptrdiff_t>(base), adapter.received.end()};
    }
    size_t base = 0;
    int packetsWith(Command c) const {
        int n = 0;
        for (const auto& p : adapter.packets)
            if (p[kPosCommand] == static_cast<uint8_t>(c)) ++n;
        return n;
    }
    int countReceived(uint8_t b) const {
        int n = 0;
        for (uint8_t r : sent()) n += r == b;
        return n;
    }
    bool unlocked() const {
        return form.model.menu("Process1").visible && !form.model.menu("nihil").visible &&
               !form.operationRunning();
    }
    std::vector<std::string> texts() const { return host.texts(); }
};

} // namespace kestro::test
