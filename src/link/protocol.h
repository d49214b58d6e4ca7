#pragma once
// The adapter's wire protocol: command bytes, the other bytes with a fixed meaning,
// the command packet's layout and the link result codes.

#include "protocol/protocol.h"

#include <cstddef>
#include <cstdint>

namespace kestro {

// Byte 16 of the command packet: the operation the adapter is to run.
enum class Command : uint8_t {
    ReadSignature = KP_CMD_READ_SIGNATURE,
    Handshake = KP_CMD_HANDSHAKE,
    ReadProgram = KP_CMD_READ_PROGRAM,
    ReadData = KP_CMD_READ_DATA,
    Erase = KP_CMD_ERASE,
    ProgramProgram = KP_CMD_PROGRAM_PROGRAM,
    ProgramData = KP_CMD_PROGRAM_DATA,
    ProgramSecurity = KP_CMD_PROGRAM_SECURITY,
    ProgramFuse = KP_CMD_PROGRAM_FUSE,
    ReadFuse = KP_CMD_READ_FUSE,
    HardwareTest = KP_CMD_HARDWARE_TEST,
};

inline constexpr uint8_t kPacketTerminator = KP_PACKET_TERMINATOR;
inline constexpr uint8_t kBlockRequest = KP_BLOCK_REQUEST;
inline constexpr uint8_t kBlockRepeat = KP_BLOCK_REPEAT;
inline constexpr uint8_t kStopByte = KP_STOP_BYTE;
inline constexpr uint8_t kBlockDone = KP_BLOCK_DONE;
inline constexpr uint8_t kBlockFailed = KP_BLOCK_FAILED;
inline constexpr uint8_t kAdapterVersion = KP_ADAPTER_VERSION;

inline constexpr size_t kPacketSize = KP_PACKET_SIZE;
inline constexpr size_t kBlockSize = KP_BLOCK_SIZE;
inline constexpr size_t kInfoLineLength = KP_INFO_LINE_LENGTH;

// Positions in the 17-byte command packet (0-based; the adapter's byte numbers are
// one higher).
enum PacketPos : size_t {
    kPosFamily = KP_POS_FAMILY,
    kPosDevice = KP_POS_DEVICE,
    kPosVoltage = KP_POS_VOLTAGE,
    kPosStart0 = KP_POS_START0,
    kPosStart1 = KP_POS_START1,
    kPosStart2 = KP_POS_START2,
    kPosLastLength = KP_POS_LAST_LENGTH,
    kPosTest1 = KP_POS_TEST1,
    kPosTest2 = KP_POS_TEST2,
    kPosCountLow = KP_POS_COUNT_LOW,
    kPosCountHigh = KP_POS_COUNT_HIGH,
    kPosSerialA = KP_POS_SERIAL_A,
    kPosSerialB = KP_POS_SERIAL_B,
    kPosSerialC = KP_POS_SERIAL_C,
    kPosSerialD = KP_POS_SERIAL_D,
    kPosCommand = KP_POS_COMMAND,
    kPosTerminator = KP_POS_TERMINATOR,
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
