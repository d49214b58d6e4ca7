// The adapter handshake: what the adapter serves, its version and its four text lines;
// the device menus follow it. Also Setup > Initialisation, which reruns it.

#include "devices/catalogue.h"
#include "shell/index_ranges.h"
#include "shell/tmyform.h"

#include <array>

namespace kestro {

namespace {

// What the reduced serial adapter cannot serve.
constexpr std::array<IndexRange, 6> kSerialAdapterWithdraws{{
    {0, 9}, {16, 16}, {21, 21}, {32, 45}, {50, 57}, {102, 195},
}};
// Items the handshake always leaves disabled, whatever the adapter says.
constexpr std::array<const char*, 5> kAlwaysDisabledItems{
    "AT89C51RC1", "N17LV1281", "N17C1281", "N17LV2561", "N17C2561"};

constexpr int kBitSerialAdapter = 62;
constexpr int kBitSocketVariant = 63;
constexpr int kLastFamilyBit = 22;
constexpr int kIndex24C02 = 121, kIndex93C46x16 = 104;
constexpr IndexRange kSda25xx{139, 143}, k59Cxx{136, 138};

void withdraw(AdapterState& a, IndexRange s) {
    for (int i = s.first; i <= s.last; ++i) a.allowed[static_cast<size_t>(i)] = 0;
}

// Turns the capability map into the allowed-device flags (all 1 on entry), the
// serial-adapter flag and the socket variant. A cleared bit withdraws.
void applyCapabilityMap(AdapterState& a) {
    a.socketVariant = 4;
    a.serialAdapter = 1;
    for (int bit = 0; bit < 64; ++bit) {
        if (a.capabilityMap[static_cast<size_t>(bit / 8)] & (1u << (bit % 8))) continue;
        if (bit <= kLastFamilyBit) {
            for (int i = 0; i < kDeviceCount; ++i)
                if (familyOf(i) == bit) a.allowed[static_cast<size_t>(i)] = 0;
        } else if (bit == kBitSerialAdapter) {
            a.serialAdapter = 0;
        } else if (bit == kBitSocketVariant) {
            a.socketVariant = 5;
        }
    }
    if (a.serialAdapter)
        for (IndexRange s : kSerialAdapterWithdraws) withdraw(a, s);
    // The SDA25xx are served through the 24C02 path, the 59Cxx through the 93C46 x16's.
    if (!a.allowed[kIndex24C02]) withdraw(a, kSda25xx);
    if (!a.allowed[kIndex93C46x16]) withdraw(a, k59Cxx);
}

bool isAllowed(const AdapterState& a, int deviceIndex) {
    return deviceIndex >= 0 && deviceIndex < static_cast<int>(a.allowed.size()) &&
           a.allowed[static_cast<size_t>(deviceIndex)] != 0;
}

// Device menu items follow the allowed-device flags. Indexes 23, 24, 26 and 36..45
// have no item and are simply not met.
void enableDeviceMenus(FormModel& model, const AdapterState& a) {
    for (MenuItem& m : model.menus)
        if (m.deviceIndex >= 0) m.enabled = isAllowed(a, m.deviceIndex);
    for (const char* name : kAlwaysDisabledItems) model.menu(name).enabled = false;
}

} // namespace

bool TMyForm::handshake() {
    AdapterState& a = st.adapter;
    a.capabilityMap.fill(0xFF);
    st.link.readStatus = kReadOk;
    a.allowed.fill(1);
    if (sendCommandPacket(Command::Handshake) != 0) return false;

    // Every reply byte is one read with its own time-out; a missing one ends it.
    const auto read = [this](uint8_t& into) {
        into = readByte();
        if (st.link.readStatus == kReadOk) return true;
        showLinkError(st.link.readStatus);
        return false;
    };
    uint8_t expected = 0;
    if (!read(expected)) return false;
    uint8_t sum = 0;
    for (uint8_t& b : a.capabilityMap) {
        if (!read(b)) return false;
        sum = static_cast<uint8_t>(sum + b);
    }
    if (expected != sum) {
        showMessage("Checksum Error !");
        return false;
    }
    for (auto& line : a.infoLines) { // not covered by the checksum
        for (size_t k = 0; k + 1 < line.size(); ++k) {
            uint8_t c = 0;
            if (!read(c)) return false;
            line[k] = static_cast<char>(c);
        }
        line.back() = '\0';
    }
    if (a.capabilityMap[6] != kAdapterVersion) {
        showMessage("Incorrect PC Program Version !");
        return false;
    }
    applyCapabilityMap(a);
    enableDeviceMenus(model, a);
    return true;
}

void TMyForm::Initialisation1Click() {
    messageMode("Initialisation...", kWhite);
    closePort(); // the name is resolved again: a port chosen while closed opens here
    openPort();
    handshake();
    if (!isAllowed(st.adapter, st.device.index)) {
        showMessage("This Device NOT Allowed !\nWill Set The First Allowed Device.");
        selectFirstAllowedDevice(); // "unknown" (196) when the adapter allows nothing
        selectDevice();
    }
    hidePanel();
}

} // namespace kestro
