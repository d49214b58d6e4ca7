#include "devices/signatures.h"

#include "devices/catalogue.h"
#include "devices/traits.h"

#include <array>

namespace kestro {
namespace {

// The probes a sweep tries, in order.
constexpr std::array<int, 12> kSweep{38, 43, 3, 9, 22, 12, 0, 14, 16, 20, 17, 21};

} // namespace

int signatureDevice(const Signature& s) {
    int other = kUnknownDevice;
    for (int i = 0; i < kDeviceCount; ++i) {
        for (const SignatureEntry& e : chipRow(i).signatures) {
            if (e.match == VariantMatch::None || e.manufacturer != s.manufacturer ||
                e.device != s.device)
                continue;
            if (e.match == VariantMatch::Any || (e.match == VariantMatch::Exactly && e.variant == s.variant))
                return i;
            if (e.match == VariantMatch::Other) other = i;
        }
    }
    return other;
}

int firstProbe(int i) { return chipRow(i).firstProbe; }

std::span<const int> probeSweep() { return kSweep; }

bool withoutIdentification(int i, bool serialAdapter) {
    const CatalogueRow& row = chipRow(i);
    return row.firstProbe < 0 || (serialAdapter && row.is(chip::SerialNoSignature));
}

bool signatureOf(int deviceIndex, Signature& out) {
    if (const int twin = traitsOf(deviceIndex).signatureTwin; twin >= 0) deviceIndex = twin;
    for (const SignatureEntry& e : chipRow(deviceIndex).signatures) {
        if (e.match == VariantMatch::None) continue;
        // Where any variant is accepted, chips report the erased value 0xFF.
        out = {e.manufacturer, e.device, e.match == VariantMatch::Exactly ? e.variant : uint8_t{0xFF}};
        if (signatureDevice(out) == deviceIndex) return true;
    }
    return false;
}

} // namespace kestro
