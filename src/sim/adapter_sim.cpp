#include "sim/adapter_sim.h"

#include "buffers/images.h"
#include "devices/catalogue.h"
#include "devices/traits.h"
#include "hwtest/pin_pattern.h"
#include "link/link.h"

#include <cstdio>

namespace kestro {

namespace {

// A transfer phase broken off by the program (a cancelled operation, a lost byte) is
// forgotten after this much quiet on the line, as the firmware does; block reads are
// exempt because their repeat request may come after a time-out and a port cycle.
constexpr uint64_t kQuietResetMs = 3000;

struct KindRow {
    AdapterKind kind;
    std::string_view name;
    std::string_view description; // third information line
};
constexpr std::array<KindRow, 5> kKinds{{
    {AdapterKind::Full, "full", "Full adapter, socket variant 4"},
    {AdapterKind::Serial, "serial", "Serial adapter"},
    {AdapterKind::Socket5, "socket5", "Full adapter, socket variant 5"},
    {AdapterKind::WrongVersion, "wrong-version", "Full adapter, old firmware"},
    {AdapterKind::WrongChecksum, "wrong-checksum", "Full adapter, bad checksum"},
}};

struct CommandName {
    Command command;
    const char* name;
};
constexpr std::array<CommandName, 11> kCommandNames{{
    {Command::ReadSignature, "read signature"}, {Command::Handshake, "handshake"},
    {Command::ReadProgram, "read program memory"}, {Command::ReadData, "read data memory"},
    {Command::Erase, "erase"}, {Command::ProgramProgram, "program program memory"},
    {Command::ProgramData, "program data memory"}, {Command::ProgramSecurity, "program security"},
    {Command::ProgramFuse, "program fuse bits"}, {Command::ReadFuse, "read fuse bits"},
    {Command::HardwareTest, "hardware test"},
}};

const char* commandName(uint8_t command) {
    for (const auto& c : kCommandNames)
        if (static_cast<uint8_t>(c.command) == command) return c.name;
    return nullptr;
}

std::string deviceName(int index) {
    if (index >= 0 && index < kDeviceCount)
        return std::string(catalogueRows()[static_cast<size_t>(index)].name);
    return "?";
}

} // namespace

AdapterConfig adapterConfig(AdapterKind kind) {
    AdapterConfig c;
    c.capabilityMap.fill(0xFF);
    c.capabilityMap[6] = kAdapterVersion;
    switch (kind) {
    case AdapterKind::Serial: break;
    case AdapterKind::Full: c.capabilityMap[7] = 0xBF; break;    // bit 62 cleared
    case AdapterKind::Socket5: c.capabilityMap[7] = 0x3F; break; // bits 62 and 63 cleared
    case AdapterKind::WrongVersion:
        c.capabilityMap[7] = 0xBF;
        c.capabilityMap[6] = kAdapterVersion - 1;
        break;
    case AdapterKind::WrongChecksum:
        c.capabilityMap[7] = 0xBF;
        c.checksumOffset = 1;
        break;
    }
    std::string_view description;
    for (const auto& k : kKinds)
        if (k.kind == kind) description = k.description;
    char version[kInfoLineLength + 1];
    std::snprintf(version, sizeof version, "Firmware version %u", c.capabilityMap[6]);
    c.infoLines = {"Kestro Adapter Simulator", version, std::string(description),
                   "No hardware: simulated chip"};
    return c;
}

std::optional<AdapterKind> adapterKindByName(std::string_view name) {
    for (const auto& k : kKinds)
        if (k.name == name) return k.kind;
    return std::nullopt;
}

AdapterSim::AdapterSim(AdapterConfig cfg, SimChip c) : config(std::move(cfg)), chip(std::move(c)) {}

void AdapterSim::note(const std::string& line) {
    if (trace) trace(line);
}

bool AdapterSim::fires(Repeat r, bool& used) {
    if (r == Repeat::Always) return true;
    if (r == Repeat::Once && !used) return used = true;
    return false;
}

void AdapterSim::echo(uint8_t b) {
    const bool wrong = faults.wrongEchoFromByte && count_ >= faults.wrongEchoFromByte;
    send(wrong ? static_cast<uint8_t>(~b) : b);
}

void AdapterSim::receive(uint8_t b, uint64_t nowMs) {
    ++count_;
    if (keepReceived) received.push_back(b);
    if (hungUp_ || silent_) return;
    if (faults.hangUpAtByte && count_ >= faults.hangUpAtByte) {
        hungUp_ = true;
        out_.clear();
        note("hang-up at byte " + std::to_string(count_));
        return;
    }
    if (faults.silentFromByte && count_ >= faults.silentFromByte) {
        silent_ = true;
        note("silent from byte " + std::to_string(count_));
        return;
    }
    const bool midway = phase_ != Phase::BlockRead && (phase_ != Phase::Packet || pos_ > 0);
    if (midway && nowMs - lastByteMs_ > kQuietResetMs) {
        note("quiet line: unfinished packet or transfer dropped");
        phase_ = Phase::Packet;
        pos_ = 0;
    }
    lastByteMs_ = nowMs;

    switch (phase_) {
    case Phase::Packet: packetByte(b); break;
    case Phase::BlockRead: blockRequest(b); break;
    case Phase::ProgramData:
        raw_[rawCount_++] = b; // data bytes are not echoed
        if (rawCount_ == raw_.size()) {
            uint8_t sum = byteSum(raw_);
            if (fires(faults.badBlockChecksum, badChecksumUsed_)) {
                ++sum;
                note("programming: wrong checksum sent");
            }
            send(sum);
            phase_ = Phase::ProgramGo;
        }
        break;
    case Phase::ProgramGo:
        echo(b);
        if (b != kBlockRequest) {
            note("programming abandoned: expected 'l', got " + hexBytes(&b, 1));
            phase_ = Phase::Packet;
            break;
        }
        burnBlock();
        break;
    case Phase::SecurityByte:
        echo(b);
        chip.lockByte = b;
        note("lock/polarity byte " + hexBytes(&b, 1));
        phase_ = Phase::Packet;
        break;
    case Phase::FuseBytes:
        echo(b);
        chip.fuses[fuseCount_++] = b;
        if (fuseCount_ == fuseTotal_) {
            note("fuse bytes " + hexBytes(chip.fuses.data(), fuseTotal_));
            phase_ = Phase::Packet;
        }
        break;
    }
}

void AdapterSim::packetByte(uint8_t b) {
    if (pos_ == 0 && b == kStopByte) { // not echoed
        note(hardwareTestOn ? "stop (250): hardware test off, every pin released" : "stop (250)");
        hardwareTestOn = false;
        return;
    }
    echo(b);
    packet_[pos_++] = b;
    if (pos_ < packet_.size()) return;
    pos_ = 0;
    if (keepReceived) packets.push_back(packet_);
    runCommand();
}

void AdapterSim::blockRequest(uint8_t b) {
    if (b == kBlockRequest || b == kBlockRepeat) {
        echo(b);
        sendBlock(b == kBlockRepeat);
    } else if (b == kStopByte) {
        note("stop (250): transfer ended");
        phase_ = Phase::Packet;
    } else { // the program has moved on: this byte opens its next packet
        phase_ = Phase::Packet;
        packetByte(b);
    }
}

void AdapterSim::runCommand() {
    const uint8_t command = packet_[kPosCommand];
    const int device = packet_[kPosDevice];
    const char* name = commandName(command);
    note("packet " + hexBytes(packet_.data(), packet_.size()) + "  " +
         (name ? name : "unknown command") + ", " + deviceName(device));
    if (packet_[kPosTerminator] != kPacketTerminator || !name) {
        note("packet ignored");
        return;
    }
    const bool pic18 = picCoreOf(device) == PicCore::Pic18;
    switch (static_cast<Command>(command)) {
    case Command::Handshake: {
        const auto& map = config.capabilityMap;
        send(static_cast<uint8_t>(byteSum(map) + config.checksumOffset));
        for (uint8_t m : map) send(m);
        for (const std::string& line : config.infoLines)
            for (size_t i = 0; i < kInfoLineLength; ++i)
                send(i < line.size() ? static_cast<uint8_t>(line[i]) : ' ');
        break;
    }
    case Command::ReadSignature: {
        const auto sig = chip.signature();
        send(byteSum(sig));
        for (uint8_t s : sig) send(s);
        note("signature " + hexBytes(sig.data(), sig.size()));
        break;
    }
    case Command::ReadProgram:
    case Command::ReadData:
        startTransfer(command == static_cast<uint8_t>(Command::ReadProgram));
        phase_ = Phase::BlockRead;
        break;
    case Command::ProgramProgram:
    case Command::ProgramData:
        startTransfer(command == static_cast<uint8_t>(Command::ProgramProgram));
        rawCount_ = 0;
        phase_ = Phase::ProgramData;
        break;
    case Command::Erase:
        chip.erase();
        note("chip erased");
        break;
    case Command::ProgramSecurity: phase_ = Phase::SecurityByte; break;
    case Command::ProgramFuse:
        fuseCount_ = 0;
        fuseTotal_ = pic18 ? 32 : 4;
        phase_ = Phase::FuseBytes;
        break;
    case Command::ReadFuse: {
        const size_t n = pic18 ? 32 : 4;
        std::array<uint8_t, 32> read = chip.fuses;
        read[0] ^= traitsOf(chip.device).fuseReadInverted; // as the real chip reads them back
        send(byteSum({read.data(), n}));
        for (size_t i = 0; i < n; ++i) send(read[i]);
        break;
    }
    case Command::HardwareTest:
        std::copy(packet_.begin() + kPosStart0, packet_.begin() + kPosTest2 + 1, pins.begin());
        hardwareTestOn = true;
        note("hardware test: P0 P1 P2 A B C = " + hexBytes(pins.data(), pins.size()) + ": " +
             describeTestPattern(pins, socketVariant()));
        break;
    }
}

void AdapterSim::startTransfer(bool programCommand) {
    const int device = packet_[kPosDevice];
    memory_ = &chip.memoryFor(programCommand, device);
    start_ = packet_[kPosStart0] | packet_[kPosStart1] << 8 | packet_[kPosStart2] << 16;
    if (wordAddressed(device, static_cast<Family>(packet_[kPosFamily]))) start_ *= 2;
    blocks_ = (packet_[kPosCountLow] | packet_[kPosCountHigh] << 8) + 1u;
    lastLength_ = packet_[kPosLastLength] ? packet_[kPosLastLength] : kBlockSize;
    next_ = 0;
    current_ = -1;
}

void AdapterSim::sendBlock(bool repeat) {
    if (!repeat || current_ < 0) {
        if (next_ >= blocks_) {
            note("block request after the last block: nothing sent");
            return;
        }
        current_ = static_cast<int>(next_++);
    }
    const auto k = static_cast<uint32_t>(current_);
    const uint32_t n = k + 1 == blocks_ ? lastLength_ : uint32_t{kBlockSize};
    const uint32_t at = start_ + k * uint32_t{kBlockSize};
    std::array<uint8_t, kBlockSize> block{};
    for (uint32_t i = 0; i < n; ++i)
        block[i] = at + i < memory_->size() ? (*memory_)[at + i] : 0xFF;
    uint8_t sum = byteSum({block.data(), n});
    uint32_t sent = n;
    std::string faultNote;
    if (fires(faults.badBlockChecksum, badChecksumUsed_)) {
        ++sum;
        faultNote += ", wrong checksum";
    }
    if (fires(faults.shortBlock, shortBlockUsed_)) {
        --sent;
        faultNote += ", one byte short";
    }
    send(sum);
    for (uint32_t i = 0; i < sent; ++i) send(block[i]);
    char line[96];
    std::snprintf(line, sizeof line, "%s block %u/%u: %u bytes from %06Xh, sum %02Xh",
                  repeat ? "repeated" : "sent", k + 1, blocks_, n, at, sum);
    note(line + faultNote);
}

void AdapterSim::burnBlock() {
    const uint32_t k = next_++;
    const uint32_t n = k + 1 == blocks_ ? lastLength_ : uint32_t{kBlockSize};
    const uint32_t at = start_ + k * uint32_t{kBlockSize};
    for (uint32_t i = 0; i < n && at + i < memory_->size(); ++i) (*memory_)[at + i] = raw_[i];
    const uint8_t status = faults.blockStatus;
    send(status);
    char line[96];
    std::snprintf(line, sizeof line, "programmed block %u/%u: %u bytes at %06Xh, status %u",
                  k + 1, blocks_, n, at, status);
    note(line);
    rawCount_ = 0;
    phase_ = next_ < blocks_ ? Phase::ProgramData : Phase::Packet;
}

} // namespace kestro
