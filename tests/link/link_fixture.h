#pragma once
// A form wired to the in-process adapter double on COM1, on the host's virtual clock.

#include "devices/catalogue.h"
#include "sim/sim_serial_port.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestro::test {

struct LinkFixture : ::testing::Test {
    FakeHost host;
    AdapterSim adapter;
    SimSerialPort port{host.clock, adapter};
    TMyForm form{host, port};
    State& st = form.st;

    // Opens the remembered port as start-up does, without the handshake.
    void startLinkOn(int portIndex = 0) {
        st.settings.portIndex = portIndex;
        form.startLink();
    }
    void select(int deviceIndex) {
        st.device.index = deviceIndex;
        catalogueLookup(st.device);
    }
    void useAdapter(AdapterKind kind) { adapter.config = adapterConfig(kind); }
    // Device indexes whose menu item is enabled.
    std::vector<int> enabledItems() const {
        std::vector<int> v;
        for (const MenuItem& m : form.model.menus)
            if (m.deviceIndex >= 0 && m.enabled) v.push_back(m.deviceIndex);
        return v;
    }
    using Ranges = std::initializer_list<std::pair<int, int>>;
    static bool inRanges(int i, Ranges ranges) {
        for (auto [first, last] : ranges)
            if (i >= first && i <= last) return true;
        return false;
    }
    // Device indexes of the menu items inside (or, with inside = false, outside) ranges.
    std::vector<int> items(Ranges ranges, bool inside = true) const {
        std::vector<int> v;
        for (const MenuItem& m : form.model.menus)
            if (m.deviceIndex >= 0 && inRanges(m.deviceIndex, ranges) == inside)
                v.push_back(m.deviceIndex);
        return v;
    }
    // Indexes 0..195 whose allowed-device flag is 0.
    std::vector<int> withdrawn() const {
        std::vector<int> v;
        for (int i = 0; i < kDeviceCount; ++i)
            if (!st.adapter.allowed[static_cast<size_t>(i)]) v.push_back(i);
        return v;
    }
    static std::vector<int> indexes(Ranges ranges) {
        std::vector<int> v;
        for (int i = 0; i < kDeviceCount; ++i)
            if (inRanges(i, ranges)) v.push_back(i);
        return v;
    }
    std::array<uint8_t, kPacketSize> lastPacket() const {
        if (adapter.packets.empty()) return {};
        return adapter.packets.back();
    }
};

} // namespace kestro::test
