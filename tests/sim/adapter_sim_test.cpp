// The adapter double answers every command as the program will expect, and injects
// its faults. Driven through the form's link functions, as the chip operations are.

#include "link/link_fixture.h"

#include <numeric>

namespace kestro {
namespace {

struct Adapter : test::LinkFixture {
    std::vector<std::string> traced;
    void SetUp() override {
        adapter.trace = [this](const std::string& line) { traced.push_back(line); };
        startLinkOn(0);
    }
    // A chip of that kind in the socket, its memories counting up.
    void insert(int device) {
        adapter.chip = SimChip::blank(device);
        for (size_t i = 0; i < adapter.chip.memory.size(); ++i)
            adapter.chip.memory[i] = static_cast<uint8_t>(i);
        select(device);
    }
    std::vector<uint8_t> readBytes(size_t n) {
        std::vector<uint8_t> v(n);
        v.resize(form.readBlock(v.data(), n));
        return v;
    }
    static uint8_t sum(const std::vector<uint8_t>& v) {
        return static_cast<uint8_t>(std::accumulate(v.begin(), v.end(), 0u));
    }
    static std::vector<uint8_t> counting(size_t from, size_t n) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(from + i);
        return v;
    }
    // One block request ('l' or 'U'): its checksum and the n bytes that followed.
    std::pair<uint8_t, std::vector<uint8_t>> request(uint8_t what, size_t n) {
        EXPECT_EQ(form.exchange(what), kLinkOk);
        const uint8_t checksum = form.readByte();
        return {checksum, readBytes(n)};
    }
};

TEST_F(Adapter, BlockReadsWithChecksumsRepeatsAndStop) {
    insert(121); // 24C02: 256 bytes, two blocks
    st.images.view = DataView;
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    auto [sum0, block0] = request(kBlockRequest, 128);
    EXPECT_EQ(block0, counting(0, 128));
    EXPECT_EQ(sum0, sum(block0));
    auto [again, repeated] = request(kBlockRepeat, 128); // after a port cycle
    EXPECT_EQ(repeated, block0);
    auto [sum1, block1] = request(kBlockRequest, 128);
    EXPECT_EQ(block1, counting(128, 128));
    EXPECT_EQ(sum1, sum(block1));
    EXPECT_TRUE(form.writeByte(kStopByte));
    EXPECT_EQ(form.sendCommandPacket(Command::ReadSignature), 0); // back to packets
    EXPECT_EQ(traced[1], "sent block 1/2: 128 bytes from 000000h, sum C0h");
    EXPECT_EQ(traced[2], "repeated block 1/2: 128 bytes from 000000h, sum C0h");
}

TEST_F(Adapter, RepeatBeforeAnyBlockSendsTheFirst) {
    insert(121);
    st.images.view = DataView;
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    EXPECT_EQ(request(kBlockRepeat, 128).second, counting(0, 128));
    EXPECT_EQ(request(kBlockRequest, 128).second, counting(128, 128));
}

TEST_F(Adapter, MarkerReadOfAWordChipStartsAtTheByteAddress) {
    insert(107); // 93C56 x16
    st.images.view = DataView;
    st.marker = {17, 32, 1}; // widened to 16..33: 18 bytes from byte 16
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    auto [checksum, block] = request(kBlockRequest, 128);
    EXPECT_EQ(block, counting(16, 18));
    EXPECT_EQ(checksum, sum(block));
}

TEST_F(Adapter, ProgramMemoryAndDataMemoryAreApart) {
    insert(68); // PIC16F84: 2048 program bytes, 64 data bytes
    adapter.chip.data.assign(64, 0x5A);
    st.images.view = DataView;
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    auto block = request(kBlockRequest, 128).second;
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 64),
              std::vector<uint8_t>(64, 0x5A));
    EXPECT_EQ(block[64], 0xFF); // past the chip's data memory
    st.images.view = ProgramView;
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ReadProgram), 0);
    EXPECT_EQ(request(kBlockRequest, 128).second, counting(0, 128));
}

TEST_F(Adapter, BlockFaultsOnceAndAlways) {
    insert(121);
    st.images.view = DataView;
    form.computeTransferRange();
    adapter.faults.badBlockChecksum = Repeat::Once;
    adapter.faults.shortBlock = Repeat::Once;
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    auto [bad, shortBlock] = request(kBlockRequest, 128);
    EXPECT_EQ(shortBlock.size(), 127u);
    EXPECT_NE(bad, sum(counting(0, 128)));
    auto [good, whole] = request(kBlockRepeat, 128);
    EXPECT_EQ(good, sum(whole));
    EXPECT_EQ(whole.size(), 128u);

    adapter.faults.badBlockChecksum = Repeat::Always;
    for (int i = 0; i < 3; ++i) {
        auto [checksum, block] = request(kBlockRepeat, 128);
        EXPECT_NE(checksum, sum(block));
    }
}

TEST_F(Adapter, ProgrammingBlocksAnswerSumEchoAndStatus) {
    insert(121);
    st.images.view = DataView;
    st.marker = {0, 144, 1}; // two blocks, the second 17 bytes long
    form.computeTransferRange();
    ASSERT_EQ(form.sendCommandPacket(Command::ProgramData), 0);
    for (int block = 0; block < 2; ++block) {
        const auto bytes = std::vector<uint8_t>(128, static_cast<uint8_t>(0xA0 + block));
        for (uint8_t b : bytes) form.writeByte(b); // not echoed
        EXPECT_EQ(form.readByte(), sum(bytes));
        EXPECT_EQ(form.exchange(kBlockRequest), kLinkOk);
        EXPECT_EQ(form.readByte(), kBlockDone);
    }
    EXPECT_TRUE(adapter.output().empty());
    EXPECT_EQ(adapter.chip.memory[0], 0xA0);
    EXPECT_EQ(adapter.chip.memory[127], 0xA0);
    EXPECT_EQ(adapter.chip.memory[128 + 16], 0xA1);
    EXPECT_EQ(adapter.chip.memory[128 + 17], 128 + 17); // past the last block length
    EXPECT_EQ(form.sendCommandPacket(Command::ReadSignature), 0);
}

TEST_F(Adapter, FailingChipReportsStatus167) {
    insert(188); // HCS301
    st.images.view = DataView;
    form.computeTransferRange();
    adapter.faults.status167 = true;
    ASSERT_EQ(form.sendCommandPacket(Command::ProgramData), 0);
    for (int i = 0; i < 128; ++i) form.writeByte(0);
    EXPECT_EQ(form.readByte(), 0);
    EXPECT_EQ(form.exchange(kBlockRequest), kLinkOk);
    EXPECT_EQ(form.readByte(), kBlockFailed);
}

TEST_F(Adapter, EraseSecurityAndFuses) {
    insert(3); // AT89C51
    ASSERT_EQ(form.sendCommandPacket(Command::ProgramSecurity), 0);
    EXPECT_EQ(form.exchange(7), kLinkOk);
    EXPECT_EQ(adapter.chip.lockByte, 7);

    ASSERT_EQ(form.sendCommandPacket(Command::ProgramFuse), 0);
    for (uint8_t b : {0x12, 0x34, 0x56, 0x78}) EXPECT_EQ(form.exchange(b), kLinkOk);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadFuse), 0);
    const auto fuses = readBytes(5);
    EXPECT_EQ(fuses, (std::vector<uint8_t>{0x14, 0x12, 0x34, 0x56, 0x78}));

    ASSERT_EQ(form.sendCommandPacket(Command::Erase), 0);
    EXPECT_TRUE(adapter.output().empty()); // nothing but the echoes
    EXPECT_EQ(adapter.chip.memory[5], 0xFF);
    EXPECT_EQ(adapter.chip.lockByte, 0);
    EXPECT_EQ(adapter.chip.fuses[0], 0xFF);
}

TEST_F(Adapter, Pic18FusesAre32Bytes) {
    insert(98); // PIC18F452
    ASSERT_EQ(form.sendCommandPacket(Command::ProgramFuse), 0);
    for (int i = 0; i < 32; ++i) ASSERT_EQ(form.exchange(static_cast<uint8_t>(i)), kLinkOk);
    EXPECT_EQ(form.sendCommandPacket(Command::ReadFuse), 0); // the packet after the 32nd
    const auto reply = readBytes(40);
    ASSERT_EQ(reply.size(), 33u);
    EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 1, reply.end()), counting(0, 32));
}

TEST_F(Adapter, SignatureOfTheChipInTheSocket) {
    adapter.chip = SimChip::blank(6); // AT89C52, while the program probes as AT89C51
    select(3);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadSignature), 0);
    EXPECT_EQ(readBytes(4), (std::vector<uint8_t>{0x6F, 0x1E, 0x52, 0xFF}));

    adapter.chip = SimChip::blank(kAnyChip); // whatever the program names
    select(26);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadSignature), 0);
    EXPECT_EQ(readBytes(4), (std::vector<uint8_t>{0xB4, 0x1E, 0x93, 0x03}));

    adapter.chip = SimChip::blank(kEmptySocket);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadSignature), 0);
    EXPECT_EQ(readBytes(4), (std::vector<uint8_t>{0xFD, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(chipByName("AT89C52"), 6);
    EXPECT_EQ(chipByName("any"), kAnyChip);
    EXPECT_EQ(chipByName("none"), kEmptySocket);
    EXPECT_FALSE(chipByName("Z80"));
}

TEST_F(Adapter, HardwareTestTakesThePinsUntilTheStopByte) {
    st.hwTest.mode = 1;
    const std::vector<uint8_t> pins{0x00, 0x00, 0xFF, 0xE0, 0x89, 0x0E};
    std::copy(pins.begin(), pins.end(), st.link.packet.begin() + kPosStart0);
    ASSERT_EQ(form.sendCommandPacket(Command::HardwareTest), 0);
    EXPECT_TRUE(adapter.hardwareTestOn);
    EXPECT_EQ(std::vector<uint8_t>(adapter.pins.begin(), adapter.pins.end()), pins);
    EXPECT_TRUE(form.writeByte(kStopByte));
    EXPECT_FALSE(adapter.hardwareTestOn);
    EXPECT_TRUE(adapter.output().empty()); // the stop byte is not echoed
}

TEST_F(Adapter, SilenceFromAByte) {
    adapter.faults.silentFromByte = 3;
    EXPECT_EQ(form.exchange(1), kLinkOk);
    EXPECT_EQ(form.exchange(2), kLinkOk);
    EXPECT_EQ(form.exchange(3), kLinkTimeout);
    EXPECT_EQ(form.exchange(4), kLinkTimeout);
    EXPECT_EQ(traced.back(), "silent from byte 3");
}

TEST_F(Adapter, AQuietLineDropsABrokenOffPacket) {
    for (uint8_t b : {1, 2, 3, 4, 5}) form.exchange(b);
    host.sleepMs(3001);
    select(3);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadSignature), 0);
    ASSERT_EQ(adapter.packets.size(), 1u);
    EXPECT_EQ(adapter.packets[0][kPosCommand], 53);
    EXPECT_EQ(readBytes(4).size(), 4u);
}

TEST_F(Adapter, TraceNamesPacketsAndDevices) {
    select(104);
    ASSERT_EQ(form.sendCommandPacket(Command::ReadData), 0);
    EXPECT_EQ(traced.front(), "packet 07 68 05 00 00 00 00 00 00 00 00 80 01 30 01 4B 75  "
                              "read data memory, 93C46_16");
}

TEST_F(Adapter, KindsAndTheirCapabilityMaps) {
    EXPECT_EQ(adapterConfig(AdapterKind::Serial).capabilityMap,
              (std::array<uint8_t, 8>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 29, 0xFF}));
    EXPECT_EQ(adapterConfig(AdapterKind::Full).capabilityMap[7], 0xBF);
    EXPECT_EQ(adapterConfig(AdapterKind::Socket5).capabilityMap[7], 0x3F);
    EXPECT_EQ(adapterConfig(AdapterKind::WrongVersion).capabilityMap[6], 28);
    EXPECT_EQ(adapterConfig(AdapterKind::WrongChecksum).checksumOffset, 1);
    EXPECT_EQ(adapterKindByName("socket5"), AdapterKind::Socket5);
    EXPECT_FALSE(adapterKindByName("Full"));
    for (const auto& line : adapterConfig(AdapterKind::Full).infoLines) EXPECT_LE(line.size(), 32u);
}

} // namespace
} // namespace kestro
