// Read: the chip's memory in view into its buffer; Read Fuse: the fuse bytes.

#include "buffers/images.h"
#include "link/protocol.h"
#include "shell/tmyform.h"

#include <algorithm>

namespace kestro {

bool TMyForm::readChip() {
    if (!identify(IdentifyMode::Ask)) return false;
    computeTransferRange();
    const uint32_t blocks = static_cast<uint32_t>(st.link.blockCountMinus1) + 1u;
    progressMode("Reading Chip...", (blocks - 1) * 128u, kGreen);
    st.link.readStatus = 0;
    const bool dataView = st.images.view == DataView;
    if (sendCommandPacket(dataView ? Command::ReadData : Command::ReadProgram) != 0) return false;

    const uint8_t mask = dataView ? 0xFF : picHighByteMask(st.device.index);
    uint8_t* dest = st.images.program.data();
    size_t capacity = st.images.program.size();
    if (dataView && st.device.programSize > 0) {
        dest = st.images.data.data();
        capacity = st.images.data.size();
    }
    size_t pos = st.marker.start;

    uint8_t block[128];
    for (uint32_t b = 0; b < blocks; ++b) {
        const size_t n = b + 1 == blocks ? st.link.lastBlockLength : 128;
        if (!fetchBlock(block, n, false)) return false;
        for (size_t i = 0; i < n; ++i, ++pos) {
            // A marker beyond the buffer must not write past it.
            if (pos < capacity) dest[pos] = (i % 2 == 0) ? (block[i] & mask) : block[i];
        }
        host.processMessages();
        if (stopRequested()) return operatorInterrupt();
        progressUpdate((b + 1) * 128);
    }
    host.sleepMs(500);
    hidePanel();
    return true;
}

bool TMyForm::readFuse() {
    if (!identify(IdentifyMode::Ask)) return false;
    messageMode("Reading Chip Fuse Bits...", kGreen);
    if (sendCommandPacket(Command::ReadFuse) != 0) return false;
    st.link.readStatus = 0;
    auto next = [this](uint8_t& out) {
        out = readByte();
        if (st.link.readStatus == 0) return true;
        showLinkError(st.link.readStatus);
        return false;
    };
    uint8_t checksum;
    if (!next(checksum)) return false;
    auto& id = st.images.idBlock;
    auto& config = st.images.configBlock;
    if (picCoreOf(st.device.index) == PicCore::Pic18) {
        for (size_t i = 0; i < 8; ++i)
            if (!next(id[i])) return false;
        for (size_t i = 0; i < 14; ++i)
            if (!next(config[i])) return false;
        uint8_t spare;
        for (int i = 0; i < 10; ++i)
            if (!next(spare)) return false;
    } else {
        uint8_t* order[4] = {&config[0], &config[1], &id[0], &id[1]};
        uint8_t sum = 0;
        for (uint8_t* p : order) {
            if (!next(*p)) return false;
            sum = static_cast<uint8_t>(sum + *p);
        }
        if (sum != checksum) {
            showMessage("Checksum Error !");
            return false;
        }
    }
    host.sleepMs(1000);
    hidePanel();
    return true;
}

bool TMyForm::resetPolarity() {
    messageMode("Reset Polarity Settings...", kRed);
    if (sendCommandPacket(Command::ProgramSecurity) != 0) return false;
    const uint8_t code = exchange(st.fuse.lockMode);
    if (code != 0) {
        showLinkError(code);
        return false;
    }
    host.sleepMs(500);
    hidePanel();
    return true;
}

void TMyForm::Read1Click() {
    lockUserInterface(false);
    const bool ok = readChip();
    st.ops.lastResult = ok ? 1 : 0;
    hidePanel();
    gridSetup();
    refreshGrid();
    if (model.menu("ReadFuse1").enabled && ok && !closeRequested_) {
        readFuse();
        hidePanel();
        SetFuse(1);
    }
    lockUserInterface(true);
    model.focus = model.controlIndex("ProgGrid");
}

void TMyForm::ReadFuse1Click() {
    lockUserInterface(false);
    readFuse();
    hidePanel();
    SetFuse(1);
    lockUserInterface(true);
}

} // namespace kestro
