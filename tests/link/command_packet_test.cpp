#include "link_fixture.h"

namespace kestro {
namespace {

using Packet = test::LinkFixture;
using Bytes = std::vector<uint8_t>;

Bytes serialBytes(const std::array<uint8_t, kPacketSize>& p) {
    return {p[kPosSerialA], p[kPosSerialB], p[kPosSerialC], p[kPosSerialD]};
}

TEST_F(Packet, ThreeWireEepromReadCarriesItsInstructions) {
    startLinkOn(0);
    select(104); // 93C46 x16
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    ASSERT_EQ(adapter.packets.size(), 1u);
    const auto p = lastPacket();
    EXPECT_EQ(serialBytes(p), (Bytes{0x80, 0x01, 0x30, 0x01}));
    EXPECT_EQ(p[kPosFamily], 7);
    EXPECT_EQ(p[kPosDevice], 104);
    EXPECT_EQ(p[kPosVoltage], 5);
    EXPECT_EQ(p[kPosCommand], 75);
    EXPECT_EQ(p[kPosTerminator], 117);
    EXPECT_EQ(adapter.received, Bytes(p.begin(), p.end())); // each byte once, in order
}

TEST_F(Packet, InstructionsFollowTheCommand) {
    startLinkOn(0);
    struct Case {
        int device;
        Command command;
        Bytes expected;
    };
    const Case cases[] = {
        {107, Command::Erase, {0x80, 0x04, 0xC0, 0x04}},       // 93C56 x16
        {107, Command::ReadProgram, {0x00, 0x00, 0xC0, 0x04}}, // no instruction column
        {103, Command::ProgramData, {0x80, 0x02, 0x60, 0x02}}, // 93C46 x8
        {138, Command::ReadData, {0x00, 0x18, 0x00, 0x13}},    // 59C13
        {130, Command::ReadData, {0x03, 0x00, 0x06, 0x00}},    // 25C010
        {135, Command::ProgramData, {0x02, 0x00, 0x06, 0xFF}}, // 25C640: two address bytes
        {121, Command::ReadData, {0x00, 0x00, 0x00, 0x00}},    // 24C02: none needed
    };
    for (const Case& c : cases) {
        st.link.packet[kPosSerialA] = st.link.packet[kPosSerialB] = 0xAA; // stale values
        st.link.packet[kPosSerialC] = st.link.packet[kPosSerialD] = 0xAA;
        select(c.device);
        ASSERT_EQ(form.sendCommandPacket(c.command), 0);
        EXPECT_EQ(serialBytes(lastPacket()), c.expected) << c.device;
        host.sleepMs(5000); // the adapter drops the transfer no data came for
    }
}

TEST_F(Packet, EpromFamiliesCarryTheirClassAndKeepTheRest) {
    startLinkOn(0);
    const Bytes stale{0x11, 0x22, 0x33, 0x44};
    for (int i : indexes({{149, 163}, {177, 184}})) {
        std::copy(stale.begin(), stale.end(), st.link.packet.begin() + kPosSerialA);
        select(i);
        ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
        const Bytes expected{catalogueRows()[static_cast<size_t>(i)].epromClass, 0x22, 0x33, 0x44};
        EXPECT_EQ(serialBytes(lastPacket()), expected) << i;
    }
    EXPECT_EQ(serialBytes(lastPacket())[0], 2); // 27C4002
}

TEST_F(Packet, OtherDevicesKeepTheSerialBytes) {
    startLinkOn(0);
    const Bytes stale{0x11, 0x22, 0x33, 0x44};
    std::copy(stale.begin(), stale.end(), st.link.packet.begin() + kPosSerialA);
    for (int i : {3, 33, 68, 101, 144, 164, 188, 195}) {
        select(i);
        ASSERT_EQ(form.sendCommandPacket(Command::Erase), 0);
        EXPECT_EQ(serialBytes(lastPacket()), stale) << i;
    }
    // In the hardware test the packet carries what the test put there, even for a 93Cxx.
    st.hwTest.mode = 1;
    select(104);
    ASSERT_EQ(form.sendCommandPacket(Command::HardwareTest), 0);
    EXPECT_EQ(serialBytes(lastPacket()), stale);
}

TEST_F(Packet, RangeBytesOutliveCommandsWithoutARange) {
    startLinkOn(0);
    select(153); // 27C256
    st.marker = {0x1234, 0x12B3, 1};
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::Erase), 0);
    const auto p = lastPacket();
    EXPECT_EQ(Bytes(p.begin() + kPosStart0, p.begin() + kPosCountHigh + 1),
              (Bytes{0x34, 0x12, 0x00, 128, 0, 0, 0, 0}));
}

TEST_F(Packet, StopsAtTheFirstBadExchangeWithItsMessage) {
    startLinkOn(0);
    adapter.faults.wrongEchoFromByte = 5;
    EXPECT_EQ(form.sendCommandPacket(Command::ReadSignature), 1);
    EXPECT_EQ(host.texts(), std::vector<std::string>{"Communication Error !"});
    EXPECT_EQ(adapter.received.size(), 5u);
}

TEST_F(Packet, LinkErrorMessages) {
    form.showLinkError(kLinkOk);
    form.showLinkError(4);
    EXPECT_TRUE(host.messages.empty());
    form.showLinkError(kLinkEchoDiffered);
    form.showLinkError(kLinkInterrupted);
    form.showLinkError(kLinkTimeout);
    EXPECT_EQ(host.texts(),
              (std::vector<std::string>{"Communication Error !", "Operator Interrupt !",
                                        "Serial Communication Timeout Error !"}));
}

// ---- transfer range ----

struct Range {
    uint32_t start;
    int32_t countMinus1;
    uint8_t last;
};
Range rangeIn(const LinkState& l) {
    const auto& p = l.packet;
    EXPECT_EQ(p[kPosLastLength], l.lastBlockLength);
    EXPECT_EQ(p[kPosCountLow] | p[kPosCountHigh] << 8, l.blockCountMinus1);
    return {static_cast<uint32_t>(p[kPosStart0] | p[kPosStart1] << 8 | p[kPosStart2] << 16),
            l.blockCountMinus1, l.lastBlockLength};
}

TEST_F(Packet, WordChipsWidenTheMarkerToWholeWords) {
    select(107); // 93C56 x16
    st.marker = {17, 32, 1};
    form.computeTransferRange();
    EXPECT_EQ(st.marker.start, 16u);
    EXPECT_EQ(st.marker.end, 33u);
    const Range r = rangeIn(st.link);
    EXPECT_EQ(r.start, 8u); // a word address
    EXPECT_EQ(r.countMinus1, 0);
    EXPECT_EQ(r.last, 18);
    EXPECT_EQ(form.model.control("SLabel").caption,
              "Marker Area  Start Address: 000010h  End Address: 000021h");

    select(182); // 29F800, family 18
    st.marker = {0x10001, 0x20000, 1};
    form.computeTransferRange();
    const Range big = rangeIn(st.link);
    EXPECT_EQ(big.start, 0x8000u);
    EXPECT_EQ(big.countMinus1, 512);
    EXPECT_EQ(big.last, 2);
}

TEST_F(Packet, ByteWideVariantsAreNotWidened) {
    select(103); // 93C46 x8
    st.marker = {17, 32, 1};
    form.computeTransferRange();
    EXPECT_EQ(st.marker.start, 17u);
    EXPECT_EQ(st.marker.end, 32u);
    const Range r = rangeIn(st.link);
    EXPECT_EQ(r.start, 17u);
    EXPECT_EQ(r.last, 16);
    EXPECT_EQ(form.model.control("SLabel").caption, "");
}

TEST_F(Packet, WithoutMarkerTheViewSizeDecides) {
    select(68); // PIC16F84: 2048 program bytes, 64 data bytes
    form.computeTransferRange();
    EXPECT_EQ(rangeIn(st.link).countMinus1, 15);
    EXPECT_EQ(st.link.lastBlockLength, 128);

    st.images.view = DataView; // 64 bytes: one block, length 128
    form.computeTransferRange();
    EXPECT_EQ(rangeIn(st.link).countMinus1, 0);
    EXPECT_EQ(st.link.lastBlockLength, 128);

    select(157); // 27C801: 1 MiB, 8192 blocks
    form.computeTransferRange();
    EXPECT_EQ(rangeIn(st.link).countMinus1, 8191);
    EXPECT_EQ(rangeIn(st.link).start, 0u);
}

TEST_F(Packet, MarkerEndIsInclusive) {
    select(153); // 27C256, byte-addressed
    st.marker = {256, 383, 1};
    form.computeTransferRange();
    Range r = rangeIn(st.link);
    EXPECT_EQ(r.start, 256u);
    EXPECT_EQ(r.countMinus1, 0);
    EXPECT_EQ(r.last, 128);

    st.marker = {256, 256, 1};
    form.computeTransferRange();
    r = rangeIn(st.link);
    EXPECT_EQ(r.countMinus1, 0);
    EXPECT_EQ(r.last, 1);

    st.marker = {0x10, 0x8F + 128, 1};
    form.computeTransferRange();
    r = rangeIn(st.link);
    EXPECT_EQ(r.countMinus1, 1);
    EXPECT_EQ(r.last, 128);
}

} // namespace
} // namespace kestro
