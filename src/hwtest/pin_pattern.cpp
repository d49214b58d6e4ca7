#include "hwtest/pin_pattern.h"

namespace kestro {

namespace {
constexpr std::array<std::string_view, 5> kVppPins4{
    "IC32/pin 1", "IC32/pin 3", "IC32/pin24", "IC32/pin25", "IC40/pin31, IC20/pin 1"};
constexpr std::array<std::string_view, 5> kVppPins5{
    "IC40/pin 1, IC32/pin 1", "IC40/pin 4, IC32/pin25", "IC40/pin13, IC32/pin24",
    "IC40/pin31, IC32/pin 3", "IC40/pin40, IC32/pin30"};

uint8_t u8(int v) { return static_cast<uint8_t>(v & 0xFF); }
} // namespace

std::span<const std::string_view> vppPinItems(uint8_t socketVariant) {
    if (socketVariant == 5) return kVppPins5;
    return kVppPins4;
}

DriveBytes driveBytes(uint8_t socketVariant, int pin, int vpp, int vce) {
    int a, b, c;
    if (socketVariant == 5) {
        a = 0xC1, b = 0x0E, c = 0x0E;
        switch (vpp) {
        case 0: c -= 4; break;
        case 1: c -= 6; break;
        case 2: b -= 2, c -= 6; break;
        case 3: b -= 6, c -= 6; break;
        default: break;
        }
        if (vce == 1) b -= 8;
        switch (pin) {
        case 0: c |= 0x20; break;
        case 1: a |= 0x02; break;
        case 2: b |= 0x01; break;
        case 3: c |= 0x10; break;
        case 4: a &= 0xBF; break;
        default: break;
        }
    } else {
        a = 0xE0, b = 0x81, c = 0x0E;
        if (vpp >= 1 && vpp <= 3) a = 0x60;
        if (vpp == 2) c -= 2;
        if (vpp == 3) c -= 6;
        if (vce == 1) c -= 8;
        switch (pin) {
        case 0: b |= 0x08; break;
        case 1: b |= 0x04; break;
        case 2: c |= 0x01; break;
        case 3: b |= 0x02; break;
        case 4:
            if (vpp == 0 || vpp == 1) a &= 0xDF;
            break;
        default: break;
        }
    }
    return {u8(a), u8(b), u8(c)};
}

void storeTestPattern(LinkState& link, const std::array<uint8_t, 3>& ports, DriveBytes d) {
    auto& p = link.packet;
    p[kPosStart0] = ports[0];
    p[kPosStart1] = ports[1];
    p[kPosStart2] = ports[2];
    p[kPosLastLength] = d.a;
    p[kPosTest1] = d.b;
    p[kPosTest2] = d.c;
}

std::string describeTestPattern(std::span<const uint8_t, 6> bytes, uint8_t socketVariant) {
    std::string text;
    for (int port = 0; port < 3; ++port) {
        const uint8_t b = bytes[static_cast<size_t>(port)];
        const std::string name = "P" + std::to_string(port) + ".";
        text += (port ? ", P" : "P") + std::to_string(port) + ": ";
        if (b == 0) text += "none";
        else if (b == 0xFF) text += name + "0-" + name + "7";
        for (int i = 0; b != 0 && b != 0xFF && i < 8; ++i)
            if (b & (1u << i)) text += (text.back() == ' ' ? "" : " ") + name + std::to_string(i);
    }
    const DriveBytes d{bytes[3], bytes[4], bytes[5]};
    const auto pins = vppPinItems(socketVariant);
    for (int pin = 0; pin < static_cast<int>(pins.size()); ++pin)
        for (int vpp = 0; vpp < static_cast<int>(kVppLevelItems.size()); ++vpp)
            for (int vce = 0; vce < static_cast<int>(kVceLevelItems.size()); ++vce) {
                const DriveBytes t = driveBytes(socketVariant, pin, vpp, vce);
                if (t.a != d.a || t.b != d.b || t.c != d.c) continue;
                return text + "; VPP " + std::string(kVppLevelItems[static_cast<size_t>(vpp)]) +
                       " on " + std::string(pins[static_cast<size_t>(pin)]) + ", VCE " +
                       std::string(kVceLevelItems[static_cast<size_t>(vce)]);
            }
    return text + "; drive bytes no setting of the test panel gives";
}

} // namespace kestro
