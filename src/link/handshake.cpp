#include "link/handshake.h"

#include "devices/catalogue.h"
#include "devices/traits.h"

#include <cstring>

namespace kestro {

namespace {

constexpr int kBitSerialAdapter = 62;
constexpr int kBitSocketVariant = 63;
constexpr int kLastFamilyBit = 22;

// Turns the capability map into the allowed-device flags (all set on entry), the
// serial-adapter flag and the socket variant. A cleared bit withdraws.
void applyCapabilityMap(AdapterState& a) {
    a.socketVariant = 4;
    a.serialAdapter = true;
    for (int bit = 0; bit < 64; ++bit) {
        if (a.capabilityMap[static_cast<size_t>(bit / 8)] & (1u << (bit % 8))) continue;
        if (bit <= kLastFamilyBit) {
            for (int i = 0; i < kDeviceCount; ++i)
                if (code(chipRow(i).family) == bit) a.allowed[static_cast<size_t>(i)] = false;
        } else if (bit == kBitSerialAdapter) {
            a.serialAdapter = false;
        } else if (bit == kBitSocketVariant) {
            a.socketVariant = 5;
        }
    }
    if (a.serialAdapter)
        for (int i = 0; i < kDeviceCount; ++i)
            if (traitsOf(i).serialAdapterWithdraws) a.allowed[static_cast<size_t>(i)] = false;
    for (int i = 0; i < kDeviceCount; ++i)
        if (const int via = traitsOf(i).servedThrough; via >= 0 && !isAllowed(a, via))
            a.allowed[static_cast<size_t>(i)] = false;
}

} // namespace

bool isAllowed(const AdapterState& a, int deviceIndex) {
    return deviceIndex >= 0 && deviceIndex < static_cast<int>(a.allowed.size()) &&
           a.allowed[static_cast<size_t>(deviceIndex)];
}

Fault runHandshake(Link& link, const SelectedDevice& dev, AdapterState& a) {
    a.capabilityMap.fill(0xFF);
    link.state().readStatus = kReadOk;
    a.allowed.fill(true);
    if (const LinkResult r = link.sendPacket(dev, Command::Handshake, false); r != kLinkOk)
        return faultOf(r);

    // Every reply byte is one read with its own time-out; a missing one ends it.
    uint8_t expected = 0;
    if (link.readReply(expected) != kLinkOk) return Fault::Timeout;
    for (uint8_t& b : a.capabilityMap)
        if (link.readReply(b) != kLinkOk) return Fault::Timeout;
    if (expected != byteSum(a.capabilityMap)) return Fault::Checksum;
    for (std::string& line : a.infoLines) { // not covered by the checksum; a NUL ends the text
        char text[kInfoLineLength] = {};
        for (char& t : text) {
            uint8_t c = 0;
            if (link.readReply(c) != kLinkOk) return Fault::Timeout;
            t = static_cast<char>(c);
        }
        line.assign(text, ::strnlen(text, sizeof text));
    }
    if (a.capabilityMap[6] != kAdapterVersion) return Fault::Version;
    applyCapabilityMap(a);
    return Fault::None;
}

} // namespace kestro
