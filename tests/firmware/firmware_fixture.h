#pragma once
// A started form whose serial line reaches the firmware's protocol, with a fake chip
// in the board's socket.

#include "devices/catalogue.h"
#include "firmware/firmware_board.h"
#include "link/protocol.h"
#include "ops/operation.h"
#include "shell/tmyform.h"
#include "support/fake_host.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestro::test {

struct FirmwareFixture : ::testing::Test {
    FakeHost host;
    FirmwareBoard board{host.clock};
    FirmwarePort port{board};
    TMyForm form{host, port};
    State& st = form.st;

    void SetUp() override { form.FormCreate(); }

    static int device(std::string_view name) {
        const auto d = findDeviceByName(name);
        EXPECT_TRUE(d) << name;
        return d.value_or(kUnknownDevice);
    }
    // Selects the part, with a blank chip of it in the socket (a microcontroller's two
    // memories).
    void insert(std::string_view name) {
        const int d = device(name);
        const CatalogueRow& row = chipRow(d);
        if (row.programSize)
            board.chip.insert(row.programSize, row.dataSize);
        else
            board.chip.insert(row.dataSize);
        form.deviceItemClick(d);
        host.messages.clear();
        board.take();
    }
    // Sends the packet for that command as the program does (the marker area or the
    // whole part); the echoes are taken.
    bool start(Command command, MarkerArea marker = {}) {
        st.marker = marker;
        computeTransferRange(form.ops);
        const bool sent = sendCommand(form.ops, command);
        board.take();
        return sent;
    }
    // Bytes to the firmware; what it answered.
    std::vector<uint8_t> answer(const std::vector<uint8_t>& bytes) {
        board.feed(bytes);
        return board.take();
    }
    std::vector<std::string> texts() const { return host.texts(); }
};

} // namespace kestro::test
