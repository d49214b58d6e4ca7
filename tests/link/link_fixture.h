#pragma once
// A form wired to the in-process adapter double on COM1, on the host's virtual clock.

#include "devices/catalogue.h"
#include "sim/sim_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kestro::test {

struct LinkFixture : ::testing::Test {
    using Ranges = std::vector<std::pair<int, int>>;

    FakeHost host;
    AdapterSim adapter;
    SimSerialPort port{host.clock, adapter};
    TMyForm form{host, port};
    State& st = form.st;

    // Opens the remembered port as start-up does, without the handshake.
    void startLinkOn(int portIndex) {
        st.settings.portIndex = portIndex;
        form.startLink();
    }
    void select(int deviceIndex) {
        st.device.index = deviceIndex;
        catalogueLookup(st.device);
    }
    void useAdapter(AdapterKind kind) { adapter.config = adapterConfig(kind); }
    static bool inRanges(int i, const Ranges& ranges) {
        for (auto [first, last] : ranges)
            if (i >= first && i <= last) return true;
        return false;
    }
    // Device indexes of the menu items: the enabled ones, or those inside (outside) ranges.
    std::vector<int> enabledItems() const {
        return itemsWhere([](const MenuItem& m) { return m.enabled; });
    }
    std::vector<int> items(const Ranges& r, bool inside = true) const {
        return itemsWhere([&](const MenuItem& m) { return inRanges(m.deviceIndex, r) == inside; });
    }
    template <typename Keep> std::vector<int> itemsWhere(Keep keep) const {
        std::vector<int> v;
        for (const MenuItem& m : form.model.menus)
            if (m.deviceIndex >= 0 && keep(m)) v.push_back(m.deviceIndex);
        return v;
    }
    // Indexes 0..195 whose allowed-device flag is 0.
    std::vector<int> withdrawn() const {
        std::vector<int> v;
        for (int i = 0; i < kDeviceCount; ++i)
            if (!st.adapter.allowed[static_cast<size_t>(i)]) v.push_back(i);
        return v;
    }
    // Indexes 0..195 inside ranges.
    static std::vector<int> indexes(const Ranges& ranges) {
        std::vector<int> v;
        for (int i = 0; i < kDeviceCount; ++i)
            if (inRanges(i, ranges)) v.push_back(i);
        return v;
    }
};

} // namespace kestro::test
