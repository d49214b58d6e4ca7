// Verify and Check Erase: the chip read back block by block, bytes one at a time, and
// held against the buffer or against the erased value. At the first difference the
// adapter is told to stop and the difference stays on show until the user cancels.

#include "devices/traits.h"
#include "ops/operation.h"
#include "view/marker.h"

#include <cstdio>

namespace kestro {

namespace {

enum class Finding { None, Difference, EndsEqual };

// Sets up the transfer and sends the read packet; false when the packet failed.
bool startReadBack(OpContext& c, const char* text) {
    computeTransferRange(c);
    c.report.progressMode(text, progressTotal(c.link.state()), kYellow);
    pause(c, FixedWait::BeforeReadBack);
    if (stopBeforeCommand(c)) return false;
    c.link.state().readStatus = 0;
    return sendCommand(c, c.images.view == DataView ? Command::ReadData : Command::ReadProgram);
}

// The adapter stops sending; the text stays until the user cancels.
void showDifference(OpContext& c, Fault kind) {
    c.link.writeByte(kStopByte);
    c.report.beep();
    c.report.holdUntilCancel(kind, c.ops.msgText);
}

// The read-back has run to its end (or ended as equal early): the closing text.
bool endAsGood(OpContext& c, const char* text) {
    c.report.status(text);
    pause(c, FixedWait::ReadBackEqual);
    return true;
}

} // namespace

bool verifyChip(OpContext& c) {
    if (!startReadBack(c, "Verify Chip Content With Buffer...")) return false;
    const TransferImage src = transferImage(c);
    const bool programView = c.images.view == ProgramView;
    const bool lastWordExempt = programView && traitsOf(c.device.index).lastWordExempt;
    // A data memory of 32 or 64 bytes travels as one padded block: what lies beyond
    // it is no difference. Only the data view has that padding.
    const bool paddedData = !programView && (c.device.dataSize == 32 || c.device.dataSize == 64);
    Finding finding = Finding::None;
    size_t pos = c.marker.start;
    const bool completed = readBlocks(c, true, [&](const uint8_t* block, size_t n, uint32_t b) {
        bool equal = true;
        uint32_t at = 0;
        for (size_t i = 0; i < n; ++i, ++pos) {
            const uint8_t mask = i % 2 == 0 ? src.mask : 0xFF;
            if (!equal || (block[i] & mask) == (src.at(pos) & mask)) continue;
            at = c.marker.start + b * kBlockSize + static_cast<uint32_t>(i);
            c.ops.difference = {at, static_cast<uint8_t>(src.at(pos) & mask),
                                 static_cast<uint8_t>(block[i] & mask)};
            equal = lastWordExempt && at + 2 >= c.device.programSize && at < c.device.programSize;
        }
        if (equal) return true;
        if (paddedData && at >= c.device.dataSize) {
            finding = Finding::EndsEqual;
            return false;
        }
        c.ops.msgText = "NOT EQUAL!  Error: " + addressText(at);
        showDifference(c, Fault::ContentDiffers);
        finding = Finding::Difference;
        return false;
    });
    if (!completed && finding != Finding::EndsEqual) return false;
    return endAsGood(c, "Chip Content EQUAL With Buffer.");
}

bool checkErase(OpContext& c) {
    if (!startReadBack(c, "Checking EPROM Erase...")) return false;
    const bool completed = readBlocks(c, true, [&](const uint8_t* block, size_t n, uint32_t b) {
        for (size_t i = 0; i < n; ++i) {
            if (block[i] == 0xFF) continue;
            const auto at = static_cast<uint32_t>(c.marker.start + b * kBlockSize + i);
            c.ops.difference = {at, 0xFF, block[i]};
            char found[8];
            std::snprintf(found, sizeof found, " = %02Xh", static_cast<unsigned>(block[i]));
            c.ops.msgText = "EPROM is NOT Empty! " + addressText(at) + found;
            showDifference(c, Fault::NotBlank);
            return false;
        }
        return true;
    });
    if (!completed) return false;
    return endAsGood(c, "EPROM is Empty.");
}

} // namespace kestro
