// What the adapter double does that the handshake, identification and read scenarios
// don't already drive: its faults, transfers of other memories, programming, erase,
// security, fuses and the hardware test.

#include "devices/catalogue.h"
#include "devices/device_names.h"
#include "devices/signatures.h"
#include "link/link_fixture.h"

#include <numeric>

namespace kestro {
namespace {

using Bytes = std::vector<uint8_t>;

struct Adapter : test::LinkFixture {
    void SetUp() override { startLinkOn(0); }
    // A chip of that kind in the socket, its memories counting up.
    void insert(int device) {
        adapter.chip = SimChip::blank(device);
        std::iota(adapter.chip.memory.begin(), adapter.chip.memory.end(), uint8_t{0});
        select(device);
    }
    // Sends the packet for a transfer of the whole view, or the marker area when set.
    void startTransfer(Command command, BufferView view, MarkerArea marker = {}) {
        st.images.view = view;
        st.marker = marker;
        computeTransferRange(form.ops);
        ASSERT_TRUE(sendCommand(form.ops, command));
    }
    Bytes readBytes(size_t n) {
        Bytes v(n);
        v.resize(form.link.readBlock(v.data(), n));
        return v;
    }
    static uint8_t sum(const Bytes& v) {
        return static_cast<uint8_t>(std::accumulate(v.begin(), v.end(), 0u));
    }
    static Bytes counting(size_t from, size_t n) {
        Bytes v(n);
        std::iota(v.begin(), v.end(), static_cast<uint8_t>(from));
        return v;
    }
    // One block request ('l' or 'U'): its checksum and the n bytes that followed.
    std::pair<uint8_t, Bytes> request(uint8_t what, size_t n = 128) {
        EXPECT_EQ(form.link.exchange(what), kLinkOk);
        const uint8_t checksum = form.link.readByte();
        return {checksum, readBytes(n)};
    }
};

// kestro-sim's --chip names the row that kestro-cli's -p names: the menu's captions
// first, so "29F010" is row 172 and "29C010A" row 170.
TEST(SocketChip, TakesTheNamesThePartsGo) {
    for (int i = 0; i < kDeviceCount; ++i) {
        const std::string_view name = menuName(i);
        EXPECT_EQ(chipByName(name), findDeviceIgnoringCase(name)) << name;
    }
    EXPECT_EQ(chipByName("29F010"), 172);
    EXPECT_EQ(chipByName("29C010A"), 170);
    EXPECT_EQ(chipByName("at89c52"), chipByName("AT89C52"));
    EXPECT_EQ(chipByName("any"), kAnyChip);
    EXPECT_EQ(chipByName("none"), kEmptySocket);
    EXPECT_FALSE(chipByName("AT89C5"));
}

// A socket holds one chip: it answers every probe with its own signature, or with
// none. The chip that takes any shape has none, so it never poses as the probe.
TEST_F(Adapter, TheChipInTheSocketAnswersItsOwnSignatureWhateverTheProbe) {
    for (const int chip : {3, 6, 15, 98, kAnyChip, kEmptySocket}) {
        Signature own{0xFF, 0xFF, 0xFF};
        signatureOf(chip, own);
        adapter.chip = SimChip::blank(chip);
        for (const int probe : probeSweep()) {
            select(probe);
            Signature sig{};
            ASSERT_TRUE(readSignature(form.ops, sig));
            EXPECT_EQ((Bytes{sig.manufacturer, sig.device, sig.variant}),
                      (Bytes{own.manufacturer, own.device, own.variant}))
                << chip << " probed as " << probe;
        }
    }
}

TEST_F(Adapter, BlockReadsRepeatsChecksumFaultsAndStop) {
    insert(121); // 24C02: 256 bytes, two blocks
    adapter.faults.badBlockChecksum = Repeat::Once;
    adapter.faults.shortBlock = Repeat::Once;
    startTransfer(Command::ReadData, DataView);
    auto [bad, shortBlock] = request(kBlockRepeat); // a repeat before any block: the first
    EXPECT_EQ(shortBlock, counting(0, 127));
    EXPECT_NE(bad, sum(counting(0, 128)));
    auto [good, block0] = request(kBlockRepeat); // after a port cycle
    EXPECT_EQ(block0, counting(0, 128));
    EXPECT_EQ(good, sum(block0));
    adapter.faults.badBlockChecksum = Repeat::Always;
    for (uint8_t what : {kBlockRequest, kBlockRepeat}) {
        auto [checksum, block1] = request(what);
        EXPECT_EQ(block1, counting(128, 128));
        EXPECT_NE(checksum, sum(block1));
    }
    EXPECT_TRUE(form.link.writeByte(kStopByte));
    EXPECT_TRUE(sendCommand(form.ops, Command::ReadSignature)); // back to packets
}

TEST_F(Adapter, ReadsOfAWordChipAndOfDataMemory) {
    insert(107); // 93C56 x16: the marker widened to 16..33, a word address in the packet
    startTransfer(Command::ReadData, DataView, {17, 32, 1});
    auto [checksum, words] = request(kBlockRequest);
    EXPECT_EQ(words, counting(16, 18));
    EXPECT_EQ(checksum, sum(words));
    EXPECT_TRUE(form.link.writeByte(kStopByte));

    insert(68); // PIC16F84: 64 data bytes apart from the program memory
    adapter.chip.data.assign(64, 0x5A);
    startTransfer(Command::ReadData, DataView);
    Bytes expected(128, 0xFF); // past the chip's data memory
    std::fill_n(expected.begin(), 64, 0x5A);
    EXPECT_EQ(request(kBlockRequest).second, expected);
}

TEST_F(Adapter, ProgrammingBlocksAnswerSumEchoAndStatus) {
    insert(121);
    startTransfer(Command::ProgramData, DataView, {0, 144, 1}); // two blocks, the second 17 bytes
    for (int block = 0; block < 2; ++block) {
        const Bytes bytes(128, static_cast<uint8_t>(0xA0 + block));
        for (uint8_t b : bytes) form.link.writeByte(b); // not echoed
        EXPECT_EQ(form.link.readByte(), sum(bytes));
        EXPECT_EQ(form.link.exchange(kBlockRequest), kLinkOk);
        EXPECT_EQ(form.link.readByte(), kBlockDone);
    }
    EXPECT_TRUE(adapter.output().empty());
    EXPECT_EQ(adapter.chip.memory[0], 0xA0);
    EXPECT_EQ(adapter.chip.memory[128 + 16], 0xA1);
    EXPECT_EQ(adapter.chip.memory[128 + 17], 128 + 17); // past the last block length

    adapter.faults.blockStatus = kBlockFailed; // a chip that fails to program
    startTransfer(Command::ProgramData, DataView, {0, 0, 1});
    for (int i = 0; i < 128; ++i) form.link.writeByte(0);
    EXPECT_EQ(form.link.readByte(), 0);
    EXPECT_EQ(form.link.exchange(kBlockRequest), kLinkOk);
    EXPECT_EQ(form.link.readByte(), kBlockFailed);
    EXPECT_TRUE(sendCommand(form.ops, Command::ReadSignature));
}

TEST_F(Adapter, SecurityFusesAndErase) {
    for (auto [device, fuses] : {std::pair{3, 4}, std::pair{98, 32}}) { // AT89C51; PIC18F452
        SCOPED_TRACE(device);
        insert(device);
        ASSERT_TRUE(sendCommand(form.ops, Command::ProgramSecurity));
        EXPECT_EQ(form.link.exchange(7), kLinkOk);
        EXPECT_EQ(adapter.chip.lockByte, 7);
        ASSERT_TRUE(sendCommand(form.ops, Command::ProgramFuse));
        const Bytes written = counting(0x30, static_cast<size_t>(fuses));
        for (uint8_t b : written) ASSERT_EQ(form.link.exchange(b), kLinkOk);
        ASSERT_TRUE(sendCommand(form.ops, Command::ReadFuse)); // the packet after the last
        Bytes expected{sum(written)};
        expected.insert(expected.end(), written.begin(), written.end());
        EXPECT_EQ(readBytes(40), expected);

        ASSERT_TRUE(sendCommand(form.ops, Command::Erase));
        EXPECT_TRUE(adapter.output().empty()); // nothing but the echoes
        EXPECT_EQ(adapter.chip.memory[5], 0xFF);
        EXPECT_EQ(adapter.chip.lockByte, 0);
        EXPECT_EQ(adapter.chip.fuses[0], 0xFF);
    }
}

TEST_F(Adapter, HardwareTestTakesThePinsUntilTheStopByte) {
    st.hwTest.mode = true;
    const Bytes pins{0x00, 0x00, 0xFF, 0xE0, 0x89, 0x0E};
    std::copy(pins.begin(), pins.end(), st.link.packet.begin() + kPosStart0);
    ASSERT_TRUE(sendCommand(form.ops, Command::HardwareTest));
    EXPECT_TRUE(adapter.hardwareTestOn);
    EXPECT_EQ(Bytes(adapter.pins.begin(), adapter.pins.end()), pins);
    EXPECT_TRUE(form.link.writeByte(kStopByte));
    EXPECT_FALSE(adapter.hardwareTestOn);
    EXPECT_TRUE(adapter.output().empty()); // the stop byte is not echoed
}

} // namespace
} // namespace kestro
