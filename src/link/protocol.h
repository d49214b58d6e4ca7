#pragma once
// The adapter's wire protocol: command bytes, the other bytes with a fixed meaning,
// the command packet's layout and the link result codes.

#include <cstddef>
#include <cstdint>

namespace kestro {

// Byte 16 of the command packet: the operation the adapter is to run.
enum class Command : uint8_t {
    ReadSignature = 53,  // '5': checksum and three signature bytes follow
    Handshake = 92,      // checksum, 8 capability bytes, 4 x 32 text bytes follow
    ReadProgram = 168,   // block transfer adapter -> program
    ReadData = 75,       // 'K': the same from the data memory
    Erase = 35,          // '#': nothing follows; the program only waits
    ProgramProgram = 157, // block transfer program -> adapter
    ProgramData = 200,   // the same into the data memory; programming with verify (encoders)
    ProgramSecurity = 134, // one lock-mode (or reset-polarity) byte follows
    ProgramFuse = 18,    // 4 or 32 fuse bytes follow, each echoed
    ReadFuse = 232,      // checksum, then 4 (or 32) fuse bytes
    HardwareTest = 100,  // pin pattern in packet bytes 4..9
};

inline constexpr uint8_t kPacketTerminator = 117; // last byte of every packet
inline constexpr uint8_t kBlockRequest = 108;     // 'l': next block / burn this block
inline constexpr uint8_t kBlockRepeat = 85;       // 'U': the last block again
inline constexpr uint8_t kStopByte = 250;         // not echoed: stop the transfer or test
inline constexpr uint8_t kBlockDone = 210;        // block burnt
inline constexpr uint8_t kBlockFailed = 167;      // the chip failed (encoders)
inline constexpr uint8_t kAdapterVersion = 29;    // capability byte 6 of a matching adapter

inline constexpr size_t kPacketSize = 17;
inline constexpr size_t kInfoLineLength = 32; // each of the handshake's four adapter texts

// Positions in the 17-byte command packet (0-based; the adapter's byte numbers are
// one higher).
enum PacketPos : size_t {
    kPosFamily = 0,
    kPosDevice = 1,
    kPosVoltage = 2,
    kPosStart0 = 3, // start address bits 0-7 (also hardware-test port P0)
    kPosStart1 = 4,
    kPosStart2 = 5,
    kPosLastLength = 6,
    kPosTest1 = 7,
    kPosTest2 = 8,
    kPosCountLow = 9, // block count - 1
    kPosCountHigh = 10,
    kPosSerialA = 11, // or the EPROM class
    kPosSerialB = 12,
    kPosSerialC = 13,
    kPosSerialD = 14,
    kPosCommand = 15,
    kPosTerminator = 16,
};


// Result of one echoed byte exchange (and the codes shown by showLinkError).
enum LinkResult : uint8_t {
    kLinkOk = 0,
    kLinkEchoDiffered = 1,
    kLinkInterrupted = 2, // operator interrupt: never produced by the link itself
    kLinkTimeout = 3,
};

// Read status of the last single-byte read.
inline constexpr uint8_t kReadOk = 0;
inline constexpr uint8_t kReadNothing = 3;

// The line's time-outs, in milliseconds: a read of n bytes may take
// kReadTotalConstantMs + n * kReadTotalPerByteMs in all, with at most
// kReadIntervalMs between two bytes; a one-byte write at most 1 + 250 ms.
inline constexpr int kReadIntervalMs = 120;
inline constexpr int kReadTotalPerByteMs = 20;
inline constexpr int kReadTotalConstantMs = 2500;
inline constexpr int kWriteTotalMs = 1 + 250;
inline constexpr int readBudgetMs(size_t n) {
    return kReadTotalConstantMs + kReadTotalPerByteMs * static_cast<int>(n);
}

} // namespace kestro
