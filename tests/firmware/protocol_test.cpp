// The firmware's protocol against the program itself: the handshake it accepts, the
// transfers of its operations, and the bytes of the cases the adapter double meets.

#include "firmware/firmware_fixture.h"

extern "C" {
#include "protocol.h"
}

#include <numeric>

namespace kestro {
namespace {

using Bytes = std::vector<uint8_t>;
using Firmware = test::FirmwareFixture;

constexpr uint8_t kServedFamilies[] = {1, 2, 3, 7, 8, 9, 10, 15};

bool served(Family f) {
    return std::find(std::begin(kServedFamilies), std::end(kServedFamilies), code(f)) !=
           std::end(kServedFamilies);
}

uint8_t sum(const Bytes& v) {
    return static_cast<uint8_t>(std::accumulate(v.begin(), v.end(), 0u));
}

Bytes randomImage(size_t n, unsigned seed) {
    Bytes v(n);
    for (auto& b : v) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return v;
}

Bytes with(Bytes v, uint8_t last) { // v and one more byte
    v.push_back(last);
    return v;
}

TEST_F(Firmware, HandshakeServesExactlyTheFamiliesOfTheBoard) {
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_FALSE(st.adapter.serialAdapter);
    EXPECT_EQ(st.adapter.socketVariant, 4);
    EXPECT_EQ(st.adapter.capabilityMap[6], kAdapterVersion);
    for (int d = 0; d < kDeviceCount; ++d)
        EXPECT_EQ(st.adapter.allowed[static_cast<size_t>(d)], served(chipRow(d).family))
            << chipRow(d).name;
    for (const std::string& line : st.adapter.infoLines) EXPECT_EQ(line.size(), kInfoLineLength);
    EXPECT_EQ(st.adapter.infoLines[0].rfind("Kestro open adapter ", 0), 0u);
    EXPECT_EQ(st.adapter.infoLines[1].rfind("Firmware version " FW_VERSION_TEXT " ", 0), 0u);
    EXPECT_NE(st.adapter.infoLines[2].find("serial memories"), std::string::npos);
}

TEST_F(Firmware, EchoesEveryPacketByteIgnoresTheStopByteAndForgetsAQuietHalfPacket) {
    const Bytes half{8, 121, 5, 0, 0, 0, 1, 0};
    EXPECT_EQ(answer(half), half);
    host.clock.advance(3001); // the program gave up on that packet
    // The stop byte opens no packet and is not echoed.
    EXPECT_EQ(answer({kStopByte}), Bytes{});
    const Bytes handshake{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 92};
    const Bytes reply = answer(with(handshake, kPacketTerminator));
    ASSERT_EQ(reply.size(), 17u + 1 + 8 + 4 * 32);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 17), with(handshake, kPacketTerminator));
    EXPECT_EQ(reply[17], sum(Bytes(reply.begin() + 18, reply.begin() + 26)));
    // A packet that does not end in 117 is echoed and runs nothing.
    EXPECT_EQ(answer(with(handshake, 116)), with(handshake, 116));
}

TEST_F(Firmware, PartsWithoutASignatureAnswerAsSuch) {
    Signature sig{};
    st.device.index = device("AT89C51");
    catalogueLookup(st.device);
    ASSERT_TRUE(readSignature(form.ops, sig));
    EXPECT_EQ((Bytes{sig.manufacturer, sig.device, sig.variant}), (Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(board.chip.begins, 0); // the socket is not touched for it
}

TEST_F(Firmware, BlockReadsRepeatOnUStopOn250AndEndAfterTheLastBlock) {
    insert("24C02"); // two blocks
    board.chip.memory = randomImage(256, 1);
    const Bytes block0(board.chip.memory.begin(), board.chip.memory.begin() + 128);
    const Bytes block1(board.chip.memory.begin() + 128, board.chip.memory.end());
    ASSERT_TRUE(start(Command::ReadData));
    // A repeat before any block sends the first.
    Bytes first = answer({kBlockRepeat});
    ASSERT_EQ(first.size(), 130u);
    EXPECT_EQ(first[0], kBlockRepeat);
    EXPECT_EQ(first[1], sum(block0));
    EXPECT_EQ(Bytes(first.begin() + 2, first.end()), block0);
    host.clock.advance(10000); // a port cycle and more: the transfer stands
    Bytes again = answer({kBlockRepeat});
    ASSERT_EQ(again.size(), 130u);
    EXPECT_EQ(Bytes(again.begin() + 2, again.end()), block0);
    Bytes next = answer({kBlockRequest});
    ASSERT_EQ(next.size(), 130u);
    EXPECT_EQ(next[1], sum(block1));
    EXPECT_EQ(Bytes(next.begin() + 2, next.end()), block1);
    EXPECT_EQ(answer({kBlockRequest}), Bytes{kBlockRequest}); // nothing after the last
    // Stopped: the next byte opens a packet again.
    EXPECT_EQ(answer({kStopByte}), Bytes{});
    ASSERT_TRUE(start(Command::ReadData, {0x81, 0x90, true})); // 16 bytes from 81h
    next = answer({kBlockRequest});
    ASSERT_EQ(next.size(), 2u + 16);
    EXPECT_EQ(Bytes(next.begin() + 2, next.end()),
              Bytes(board.chip.memory.begin() + 0x81, board.chip.memory.begin() + 0x91));
    // A byte other than a request: the program has moved on to its next packet.
    EXPECT_EQ(answer({8}), Bytes{8});
}

// A block the chip fails to give is refused; the program's repeat request reads it
// again, never the block before.
TEST_F(Firmware, ReadsRetryTheBlockTheChipFailedToGive) {
    insert("24C02");
    board.chip.memory = randomImage(256, 4);
    // Read 1 is block 0, read 2 block 1 while block 0 is on the line, read 3 block 1
    // again on 'l'; read 4, on the 'U' after the port cycle, gives it.
    board.chip.failingReads = {2, 3};
    form.Read1Click();
    EXPECT_TRUE(texts().empty()) << texts().front();
    EXPECT_TRUE(std::equal(board.chip.memory.begin(), board.chip.memory.end(),
                           st.images.program.begin()));
    EXPECT_EQ(host.beeps, 1);
    // A chip that fails for good: the program gives up, the first block kept.
    std::fill_n(st.images.program.begin(), 256, 0);
    board.chip.reads = 0;
    board.chip.failingReads = {2, 3, 4, 5, 6, 7, 8};
    form.Read1Click();
    EXPECT_EQ(texts(), std::vector<std::string>{"Communication Error !"});
    EXPECT_TRUE(std::equal(board.chip.memory.begin(), board.chip.memory.begin() + 128,
                           st.images.program.begin()));
    EXPECT_EQ(std::count(st.images.program.begin() + 128, st.images.program.begin() + 256, 0), 128);
}

TEST_F(Firmware, ProgrammingAnswersTheSumTheEchoAndDoneOnlyForABlockThatReadsBack) {
    insert("24C02");
    const Bytes image = randomImage(256, 2);
    ASSERT_TRUE(start(Command::ProgramData));
    const Bytes block0(image.begin(), image.begin() + 128);
    EXPECT_EQ(answer(block0), Bytes{sum(block0)});
    EXPECT_EQ(answer({kBlockRequest}), (Bytes{kBlockRequest, kBlockDone}));
    EXPECT_EQ(Bytes(board.chip.memory.begin(), board.chip.memory.begin() + 128), block0);
    // The chip takes the next block but does not keep it.
    board.chip.keepsWrites = false;
    const Bytes block1(image.begin() + 128, image.end());
    EXPECT_EQ(answer(block1), Bytes{sum(block1)});
    const Bytes status = answer({kBlockRequest});
    ASSERT_EQ(status.size(), 2u);
    EXPECT_NE(status[1], kBlockDone);
}

TEST_F(Firmware, ABlockWhoseSumDiffersIsNotBurntAndThePacketAfterItIsRead) {
    insert("24C02");
    ASSERT_TRUE(start(Command::ProgramData));
    Bytes block(128, 0x5A);
    EXPECT_EQ(answer(block), Bytes{sum(block)});
    // The program saw another sum and went on with a new packet instead of 'l'.
    ASSERT_TRUE(start(Command::ReadData));
    EXPECT_EQ(board.chip.memory, Bytes(256, 0xFF));
    EXPECT_EQ(answer({kBlockRequest}).size(), 130u);
}

// The program's own operations, start to end, on parts of every bus and both ways of
// addressing.
TEST_F(Firmware, ProgramVerifyAndReadOfWholeParts) {
    st.settings.verifyAfterProgram = true;
    form.refreshSetupCaptions();
    for (const char* name : {"93C46_8", "93C46_16", "93C86", "24C16", "24C256", "25C040",
                             "25C640", "59C11", "PCF8582"}) {
        insert(name);
        const size_t size = board.chip.memory.size();
        const Bytes image = randomImage(size, static_cast<unsigned>(size));
        std::copy(image.begin(), image.end(), st.images.program.begin());
        form.Program1Click();
        EXPECT_TRUE(texts().empty()) << name << ": " << texts().front();
        EXPECT_EQ(board.chip.memory, image) << name;
        std::fill_n(st.images.program.begin(), size, 0);
        form.Read1Click();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), st.images.program.begin())) << name;
        const auto& packet = form.link.state().packet; // the chip got the packet's instructions
        EXPECT_EQ(board.chip.parameters,
                  (Bytes{packet.begin() + kPosSerialA, packet.begin() + kPosSerialD + 1}));
    }
}

// The marker area: the start address (a word address on the word-organised parts),
// the block count and the last block's length; only that many bytes are burnt.
TEST_F(Firmware, MarkerAreasBurnOnlyTheirBytes) {
    struct Case {
        const char* name;
        MarkerArea marker;
        uint32_t first, last; // bytes the chip gets, after the program's widening
    };
    for (const Case& c : {Case{"24C16", {0x011, 0x1A4, true}, 0x011, 0x1A4},
                          Case{"93C46_16", {17, 32, true}, 16, 33},
                          Case{"93C86", {0x101, 0x2FE, true}, 0x100, 0x2FF},
                          Case{"93C46_8", {17, 32, true}, 17, 32}}) {
        insert(c.name);
        const Bytes image = randomImage(board.chip.memory.size(), 3);
        std::copy(image.begin(), image.end(), st.images.program.begin());
        st.marker = c.marker;
        form.Program1Click();
        EXPECT_TRUE(texts().empty()) << c.name << ": " << texts().front();
        for (uint32_t i = 0; i < board.chip.memory.size(); ++i) {
            const bool inside = i >= c.first && i <= c.last;
            ASSERT_EQ(board.chip.memory[i], inside ? image[i] : 0xFF) << c.name << " at " << i;
        }
    }
}

// Nothing is ever read, written or reported done for a part the board refuses or a
// socket that does not answer: the program ends with its own failure message.
TEST_F(Firmware, RefusedPartsAndEmptySocketsFailAtOnce) {
    for (const char* name : {"17C65", "X24C00", "24C02", "93C46_16", "25C010"}) {
        insert(name);
        const std::string_view part = name;
        const bool refused = part == "17C65" || part == "X24C00";
        board.chip.present = false;
        const size_t before = board.received.size();
        form.Read1Click();
        EXPECT_EQ(texts(), std::vector<std::string>{"Communication Error !"}) << name;
        EXPECT_EQ(board.received.size() - before, kPacketSize) << name << ": no block asked for";
        host.messages.clear();
        form.Program1Click();
        EXPECT_EQ(texts(), std::vector<std::string>{"Communication Error !"}) << name;
        EXPECT_EQ(board.chip.memory, Bytes(board.chip.memory.size(), 0xFF)) << name;
        if (refused) {
            EXPECT_EQ(board.chip.begins, 0) << name;
        }
        board.chip = {};
    }
}

TEST_F(Firmware, EraseWhereThePartHasOne) {
    insert("93C56_16");
    board.chip.memory.assign(board.chip.memory.size(), 0);
    ASSERT_TRUE(start(Command::Erase));
    EXPECT_EQ(board.chip.erases, 1);
    EXPECT_EQ(board.chip.memory, Bytes(256, 0xFF));
    EXPECT_EQ(board.chip.parameters, (Bytes{0x80, 0x04, 0xC0, 0x04})); // ERAL, EWEN
    insert("24C02");
    board.chip.memory.assign(board.chip.memory.size(), 0);
    EXPECT_FALSE(start(Command::Erase));
    EXPECT_EQ(board.chip.memory, Bytes(256, 0));
}

TEST_F(Firmware, TheHardwareTestIsAnsweredAndTheStopByteEndsIt) {
    const Bytes test{0, 0, 0, 1, 2, 4, 0, 8, 16, 0, 0, 0, 0, 0, 0, 100, kPacketTerminator};
    EXPECT_EQ(answer(test), test);
    EXPECT_EQ(answer({kStopByte}), Bytes{});
    EXPECT_EQ(board.chip.begins, 0);
}

} // namespace
} // namespace kestro
