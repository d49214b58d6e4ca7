#include "link_fixture.h"

namespace kestro {
namespace {

using Packet = test::LinkFixture;
using Bytes = std::vector<uint8_t>;

Bytes serialBytes(const std::array<uint8_t, kPacketSize>& p) {
    return {p[kPosSerialA], p[kPosSerialB], p[kPosSerialC], p[kPosSerialD]};
}

TEST_F(Packet, SerialEepromsCarryTheirInstructionsByCommand) {
    startLinkOn(0);
    struct Case {
        int device;
        Command command;
        Bytes expected;
    };
    const Case cases[] = {
        {104, Command::ReadData, {0x80, 0x01, 0x30, 0x01}},    // 93C46 x16
        {107, Command::Erase, {0x80, 0x04, 0xC0, 0x04}},       // 93C56 x16
        {107, Command::ReadProgram, {0x00, 0x00, 0xC0, 0x04}}, // no instruction column
        {103, Command::ProgramData, {0x80, 0x02, 0x60, 0x02}}, // 93C46 x8
        {138, Command::ReadData, {0x00, 0x18, 0x00, 0x13}},    // 59C13
        {130, Command::ReadData, {0x03, 0x00, 0x06, 0x00}},    // 25C010
        {135, Command::ProgramData, {0x02, 0x00, 0x06, 0xFF}}, // 25C640: two address bytes
        {121, Command::ReadData, {0x00, 0x00, 0x00, 0x00}},    // 24C02: none needed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        std::fill_n(st.link.packet.begin() + kPosSerialA, 4, 0xAA); // stale values
        select(c.device);
        adapter.received.clear();
        ASSERT_TRUE(sendCommand(form.ops, c.command));
        const auto p = adapter.packets.back();
        EXPECT_EQ(serialBytes(p), c.expected);
        EXPECT_EQ(p[kPosDevice], c.device);
        EXPECT_EQ(p[kPosCommand], static_cast<uint8_t>(c.command));
        EXPECT_EQ(adapter.received, Bytes(p.begin(), p.end())); // each byte once, in order
        host.sleepMs(5000); // the adapter drops the transfer no data came for
    }
    const auto p = adapter.packets.front();
    EXPECT_EQ(p[kPosFamily], 7);
    EXPECT_EQ(p[kPosVoltage], 5);
    EXPECT_EQ(p[kPosCommand], 75);
    EXPECT_EQ(p[kPosTerminator], 117);
}

TEST_F(Packet, OtherDevicesKeepTheSerialBytesButEpromsTheirClass) {
    startLinkOn(0);
    select(153);
    st.marker = {0x1234, 0x12B3, true};
    computeTransferRange(form.ops); // the range bytes outlive commands without a range too
    const Bytes range{0x34, 0x12, 0x00, 128, 0, 0, 0, 0};
    const Bytes stale{0x11, 0x22, 0x33, 0x44};
    for (int i = 0; i < kDeviceCount; ++i) {
        if (i >= 102 && i <= 143) continue;
        SCOPED_TRACE(i);
        std::copy(stale.begin(), stale.end(), st.link.packet.begin() + kPosSerialA);
        select(i);
        ASSERT_TRUE(sendCommand(form.ops, Command::Erase));
        Bytes expected = stale;
        if (test::LinkFixture::inRanges(i, {{149, 163}, {177, 184}}))
            expected[0] = catalogueRows()[static_cast<size_t>(i)].epromClass;
        const auto p = adapter.packets.back();
        EXPECT_EQ(serialBytes(p), expected);
        EXPECT_EQ(Bytes(p.begin() + kPosStart0, p.begin() + kPosCountHigh + 1), range);
    }

    // In the hardware test the packet carries what the test put there, even for a 93Cxx.
    st.hwTest.mode = true;
    select(104);
    ASSERT_TRUE(sendCommand(form.ops, Command::HardwareTest));
    EXPECT_EQ(serialBytes(adapter.packets.back()), stale);
}

TEST_F(Packet, StopsAtTheFirstBadExchangeWithItsMessage) {
    startLinkOn(0);
    adapter.faults.wrongEchoFromByte = 1; // every byte comes back different
    EXPECT_FALSE(sendCommand(form.ops, Command::ReadSignature));
    EXPECT_EQ(adapter.received.size(), 1u);
    for (LinkResult code : {kLinkOk, kLinkInterrupted, kLinkTimeout})
        fail(form.reporter, faultOf(code));
    EXPECT_EQ(host.texts(), (std::vector<std::string>{"Communication Error !",
                                                      "Operator Interrupt !",
                                                      "Serial Communication Timeout Error !"}));
}

TEST_F(Packet, TransferRange) {
    struct Case {
        const char* what;
        int device;
        BufferView view;
        MarkerArea marker;
        uint32_t markerStart, markerEnd; // after widening
        uint32_t start;
        int32_t countMinus1;
        uint8_t last;
    };
    const Case cases[] = {
        {"93C56 x16: whole words", 107, DataView, {17, 32, 1}, 16, 33, 8, 0, 18},
        {"29F800: family 18", 182, DataView, {0x10001, 0x20000, 1}, 0x10000, 0x20001, 0x8000,
         512, 2},
        {"93C46 x8: bytes", 103, DataView, {17, 32, 1}, 17, 32, 17, 0, 16},
        {"PIC16F84 program", 68, ProgramView, {}, 0, 0, 0, 15, 128},
        {"PIC16F84 data: 64 bytes", 68, DataView, {}, 0, 0, 0, 0, 128},
        {"27C801: 1 MiB", 157, DataView, {}, 0, 0, 0, 8191, 128},
        {"27C256: end inclusive", 153, DataView, {256, 383, 1}, 256, 383, 256, 0, 128},
        {"27C256: one byte", 153, DataView, {256, 256, 1}, 256, 256, 256, 0, 1},
        {"27C256: two blocks", 153, DataView, {0x10, 0x10F, 1}, 0x10, 0x10F, 0x10, 1, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        select(c.device);
        st.images.view = c.view;
        st.marker = c.marker;
        computeTransferRange(form.ops);
        EXPECT_EQ(st.marker.start, c.markerStart);
        EXPECT_EQ(st.marker.end, c.markerEnd);
        const auto& p = st.link.packet;
        EXPECT_EQ(uint32_t(p[kPosStart0] | p[kPosStart1] << 8 | p[kPosStart2] << 16), c.start);
        EXPECT_EQ(p[kPosCountLow] | p[kPosCountHigh] << 8, c.countMinus1);
        EXPECT_EQ(st.link.blockCountMinus1, c.countMinus1);
        EXPECT_EQ(p[kPosLastLength], c.last);
        EXPECT_EQ(st.link.lastBlockLength, c.last);
    }
    EXPECT_EQ(form.model.control("SLabel").caption,
              "Marker Area  Start Address: 010000h  End Address: 020001h");
}

} // namespace
} // namespace kestro
