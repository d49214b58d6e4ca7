// Verify and Check Erase: the chip read back block by block, bytes one at a time, and
// held against the buffer or against the erased value. At the first difference the
// adapter is told to stop and the difference stays on show until the user cancels.

#include "devices/traits.h"
#include "ops/operation.h"

#include <cstdio>

namespace kestro {

namespace {

enum class Finding { None, Difference, EndsEqual };

// Sets up the transfer and sends the read packet; false when the packet failed.
bool startReadBack(OpContext& c, const char* text) {
    State& st = c.st;
    computeTransferRange(c);
    c.report.progressMode(text, progressTotal(st.link), kYellow);
    c.report.waitMs(500);
    if (stopBeforeCommand(c)) return false;
    st.link.readStatus = 0;
    return sendCommand(c, st.images.view == DataView ? Command::ReadData : Command::ReadProgram);
}

// The adapter stops sending; the text stays until the user cancels.
void showDifference(OpContext& c, Fault kind) {
    c.link.writeByte(kStopByte);
    c.report.beep();
    c.report.holdUntilCancel(kind, c.st.ops.msgText);
}

// The read-back has run to its end (or ended as equal early): the closing text.
bool endAsGood(OpContext& c, const char* text) {
    c.report.status(text);
    c.report.waitMs(2000);
    return true;
}

} // namespace

bool verifyChip(OpContext& c) {
    State& st = c.st;
    if (!startReadBack(c, "Verify Chip Content With Buffer...")) return false;
    const TransferImage src = transferImage(st);
    const bool programView = st.images.view == ProgramView;
    const bool lastWordExempt = programView && traitsOf(st.device.index).lastWordExempt;
    // A data memory of 32 or 64 bytes travels as one padded block: what lies beyond
    // it is no difference. Only the data view has that padding.
    const bool paddedData = !programView && (st.device.dataSize == 32 || st.device.dataSize == 64);
    Finding finding = Finding::None;
    size_t pos = st.marker.start;
    const bool completed = readBlocks(c, true, [&](const uint8_t* block, size_t n, uint32_t b) {
        bool equal = true;
        uint32_t at = 0;
        for (size_t i = 0; i < n; ++i, ++pos) {
            const uint8_t mask = i % 2 == 0 ? src.mask : 0xFF;
            if (!equal || (block[i] & mask) == (src.at(pos) & mask)) continue;
            at = st.marker.start + b * 128 + static_cast<uint32_t>(i);
            st.ops.difference = {at, static_cast<uint8_t>(src.at(pos) & mask),
                                 static_cast<uint8_t>(block[i] & mask)};
            equal = lastWordExempt && at + 2 >= st.device.programSize && at < st.device.programSize;
        }
        if (equal) return true;
        if (paddedData && at >= st.device.dataSize) {
            finding = Finding::EndsEqual;
            return false;
        }
        std::snprintf(st.ops.msgText, kMessageTextSize, "NOT EQUAL!  Error: %.6lXh",
                      static_cast<unsigned long>(at));
        showDifference(c, Fault::ContentDiffers);
        finding = Finding::Difference;
        return false;
    });
    if (!completed && finding != Finding::EndsEqual) return false;
    return endAsGood(c, "Chip Content EQUAL With Buffer.");
}

bool checkErase(OpContext& c) {
    State& st = c.st;
    if (!startReadBack(c, "Checking EPROM Erase...")) return false;
    const bool completed = readBlocks(c, true, [&](const uint8_t* block, size_t n, uint32_t b) {
        for (size_t i = 0; i < n; ++i) {
            if (block[i] == 0xFF) continue;
            const auto at = static_cast<uint32_t>(st.marker.start + b * 128 + i);
            st.ops.difference = {at, 0xFF, block[i]};
            std::snprintf(st.ops.msgText, kMessageTextSize, "EPROM is NOT Empty! %.6lXh = %02Xh",
                          static_cast<unsigned long>(at), static_cast<unsigned>(block[i]));
            showDifference(c, Fault::NotBlank);
            return false;
        }
        return true;
    });
    if (!completed) return false;
    return endAsGood(c, "EPROM is Empty.");
}

} // namespace kestro
