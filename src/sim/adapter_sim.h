#pragma once
// The adapter double: answers the program's bytes as the programmer's firmware does,
// with a simulated chip in its socket and faults on request. It only turns bytes into
// bytes; SimSerialPort (virtual time) and PtyAdapter (a real pty) carry them.

#include "link/protocol.h"
#include "sim/sim_chip.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// What the adapter reports in the handshake.
struct AdapterConfig {
    std::array<uint8_t, 8> capabilityMap{};
    uint8_t checksumOffset = 0;           // non-zero: a wrong handshake checksum
    std::array<std::string, 4> infoLines; // sent as exactly 32 characters each
};

enum class AdapterKind {
    Full,          // serves everything: capability bit 62 cleared
    Serial,        // the reduced serial adapter: every bit set
    Socket5,       // a full adapter with socket variant 5 (bit 63 cleared too)
    WrongVersion,  // a full adapter reporting version 28
    WrongChecksum, // a full adapter whose handshake checksum is off by one
};
AdapterConfig adapterConfig(AdapterKind kind);
std::optional<AdapterKind> adapterKindByName(std::string_view name); // "full", "serial", ...

enum class Repeat : uint8_t { Never, Once, Always };

struct AdapterFaults {
    // Counting received bytes from 1: from this byte on the adapter is dead silent
    // (0: never).
    uint32_t silentFromByte = 0;
    uint32_t wrongEchoFromByte = 0; // from this byte on, every echo comes back inverted
    uint32_t hangUpAtByte = 0;      // the adapter drops the line when this byte arrives
    // The block checksum off by one: in block reads, and in the sum that answers the
    // The raw bytes of a block to program.
    Repeat badBlockChecksum = Repeat::Never;
    Repeat shortBlock = Repeat::Never; // block reads: the last byte is not sent
    // What every programmed block reports: 210 done; 167 the chip failed (encoders).
    uint8_t blockStatus = kBlockDone;
};

class AdapterSim {
public:
    explicit AdapterSim(AdapterConfig config = adapterConfig(AdapterKind::Full),
                        SimChip chip = SimChip::blank(kAnyChip));

    // One byte from the program, at that time on the caller's clock (milliseconds).
    void receive(uint8_t b, uint64_t nowMs);
    // What the adapter has sent that nobody has taken yet.
    std::deque<uint8_t>& output() { return out_; }
    bool hungUp() const { return hungUp_; }
    // 5 when the capability map clears bit 63, else 4: how the socket pins are wired.
    uint8_t socketVariant() const { return (config.capabilityMap[7] & 0x80) ? 4 : 5; }

    AdapterConfig config;
    SimChip chip;
    AdapterFaults faults;
    // Called with one readable line per event (packets, blocks, faults), when set.
    std::function<void(const std::string&)> trace;

    // What arrived, for tests to look at. A simulator that runs for hours keeps none of
    // it: every byte kept would be memory that only grows.
    bool keepReceived = true;
    std::vector<uint8_t> received;
    std::vector<std::array<uint8_t, kPacketSize>> packets;
    bool hardwareTestOn = false;
    std::array<uint8_t, 6> pins{}; // packet bytes 4..9 of the last hardware-test packet

private:
    enum class Phase { Packet, BlockRead, ProgramData, ProgramGo, SecurityByte, FuseBytes };

    void packetByte(uint8_t b);
    void blockRequest(uint8_t b);
    void runCommand();
    void startTransfer(bool programCommand);
    void sendBlock(bool repeat);
    void burnBlock();
    void echo(uint8_t b);
    void send(uint8_t b) { out_.push_back(b); }
    void note(const std::string& line);
    bool fires(Repeat r, bool& used);

    std::deque<uint8_t> out_;
    uint32_t count_ = 0;
    bool silent_ = false;
    bool hungUp_ = false;
    uint64_t lastByteMs_ = 0;
    Phase phase_ = Phase::Packet;
    std::array<uint8_t, kPacketSize> packet_{};
    size_t pos_ = 0;
    // The transfer in progress.
    std::vector<uint8_t>* memory_ = nullptr;
    uint32_t start_ = 0;   // byte address of block 0
    uint32_t blocks_ = 0;
    uint32_t lastLength_ = kBlockSize;
    uint32_t next_ = 0;    // next block to send or burn
    int current_ = -1;     // block last sent (-1: none yet)
    std::array<uint8_t, kBlockSize> raw_{};
    size_t rawCount_ = 0;
    size_t fuseCount_ = 0, fuseTotal_ = 0;
    bool badChecksumUsed_ = false, shortBlockUsed_ = false;
};

} // namespace kestro
