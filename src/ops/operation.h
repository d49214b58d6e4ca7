#pragma once
// ops/ owns the chip operations, the reporter they show and ask through, the
// block-request loop, the Process menu's chains and the operation frame's state.
//
// Chip operations as functions over the parts of the state record they need, the link
// and a reporter. Each returns true when it completed; a failure has been reported
// once, by the piece that found it.

#include "buffers/image_state.h"
#include "devices/device_state.h"
#include "devices/signatures.h"
#include "fuses/fuse_state.h"
#include "hwtest/hwtest_state.h"
#include "hwtest/pin_pattern.h"
#include "link/link.h"
#include "ops/colors.h"
#include "ops/ops_state.h"
#include "ops/reporter.h"
#include "ops/waits.h"
#include "view/marker.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace kestro {

// What an operation works on: the parts of the state record it reads and changes,
// each owned by its folder, the link and the reporter.
struct OpContext {
    SelectedDevice& device;
    AdapterState& adapter;
    Images& images;
    MarkerArea& marker;
    FusePanelState& fuse;
    HardwareTestState& hwTest;
    OperationState& ops;
    const ChainSettings& settings;
    Link& link;
    Reporter& report;
};

// ---- the port (also used by the front ends' start-up, port change and Initialisation)
// Opens the port named in the link state; a failure is reported.
bool openPort(Link& link, Reporter& report, bool sameDevice = false);
// Closes it; a failure is reported and the port stays marked open.
void closePort(Link& link, Reporter& report);
// Close, then open the device last opened: a retry never goes to another device.
void reopenPort(Link& link, Reporter& report);

// Sends the command packet for the selected device; a failure is reported.
bool sendCommand(OpContext& c, Command command);
// One reply byte; a missing one is reported as the time-out it is.
bool receiveReply(OpContext& c, uint8_t& out);
// Bytes the adapter echoes one by one; the first failure is reported.
bool exchangeAll(OpContext& c, std::span<const uint8_t> bytes);
// One of the fixed waits; those that only keep a text on show go to the reporter as such.
void pause(OpContext& c, FixedWait w);
// A completed operation's end: its fixed wait, then the panel goes.
bool finished(OpContext& c, FixedWait w);
// Asked just before an operation's command would go out: true when a stop has been
// asked for, which is then taken (the panel goes, nothing is sent for the operation).
bool stopBeforeCommand(OpContext& c);
// After a completed block: the progress step; true when the user stopped, which then
// ends with the operator interrupt.
bool stopBetweenBlocks(OpContext& c, uint32_t done);

// The image a block transfer reads into or from: the program buffer, or the data
// buffer in the data view of a device with both memories, and the mask for the high
// byte of a program word.
struct TransferImage {
    uint8_t* bytes;
    size_t capacity;
    uint8_t mask;
    // Past the end of the buffer a chip is read as erased.
    uint8_t at(size_t pos) const { return pos < capacity ? bytes[pos] : 0xFF; }
};
TransferImage transferImage(const OpContext& c);

// The progress total of a block transfer: (blocks - 1) x the block size.
inline uint32_t progressTotal(const LinkState& link) {
    return static_cast<uint32_t>(link.blockCountMinus1) * 128u;
}

// The hardware test's pattern into packet bytes 4 to 9, sent with command 100 (the
// per-device bytes are not recomputed while the test runs); a failure is reported.
bool sendTestPattern(OpContext& c, const std::array<uint8_t, 3>& ports, DriveBytes drive);
// The stop byte ends the hardware test and releases the pins. It is not echoed, and
// it goes out whatever came before, so that no failure keeps voltages on the socket.
void releaseTestPattern(OpContext& c);

// Packet bytes 4..11 and the block counts for the view or the marker area. A
// word-addressed transfer widens the marker area to whole words and shows it.
void computeTransferRange(OpContext& c);

// One block with the request/repeat protocol: 'l' asks for it; after a failure the
// port is cycled and 'U' asks again, five times at most. False after that.
bool fetchBlock(OpContext& c, uint8_t* block, size_t n, bool byteByByte);
// Every block of the transfer range in turn: fetched, handed to `accept` (block, its
// length, its number), then the progress step. False when a block could not be
// fetched, `accept` said stop, or the user stopped between blocks.
bool readBlocks(OpContext& c, bool byteByByte,
                const std::function<bool(const uint8_t*, size_t, uint32_t)>& accept);

// The three signature bytes of the chip in the socket, for the selected device's probe.
bool readSignature(OpContext& c, Signature& sig);

enum class IdentifyMode { Menu, Ask };
// What identification from the menu shows when no known chip answered.
inline constexpr const char* kUnknownDeviceText = "Unknown Device.";
// True to go on: the chip matches, has no signature, or the user agrees to go on with
// an unknown one. False when nothing answered, the user declined, or the selection
// was switched to the chip found.
bool identify(OpContext& c, IdentifyMode mode);

bool readChip(OpContext& c);
bool programChip(OpContext& c);
// The encoders: the adapter programs and verifies each block itself.
bool programAndVerify(OpContext& c);
bool verifyChip(OpContext& c);
bool eraseChip(OpContext& c);
bool checkErase(OpContext& c);
bool programSecurity(OpContext& c);
bool programFuse(OpContext& c);
bool readFuse(OpContext& c);
// The serial configuration PROMs' reset polarity: the lock mode byte is the value.
bool resetPolarity(OpContext& c);

} // namespace kestro
