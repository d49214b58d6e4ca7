#include "devices/signatures.h"

#include "devices/catalogue.h"
#include "devices/index_ranges.h"
#include "devices/traits.h"

#include <array>

namespace kestro {
namespace {

enum VariantMatch : uint8_t { Exactly, Any, Other };

struct SignatureRow {
    uint8_t manufacturer;
    uint8_t device;
    VariantMatch match;
    uint8_t variant; // for Exactly
    int index;
};

constexpr std::array<SignatureRow, 35> kSignatures{{
    {0x15, 0x92, Any, 0, 43},     {0x15, 0x97, Any, 0, 44},     {0x15, 0xBB, Any, 0, 45},
    {0x1E, 0x11, Any, 0, 0},      {0x1E, 0x21, Any, 0, 1},      {0x1E, 0x41, Any, 0, 2},
    {0x1E, 0x51, Exactly, 0x07, 4}, {0x1E, 0x51, Other, 0, 3},  {0x1E, 0x52, Any, 0, 6},
    {0x1E, 0x53, Any, 0, 12},     {0x1E, 0x55, Exactly, 0x06, 9}, {0x1E, 0x55, Other, 0, 8},
    {0x1E, 0x62, Any, 0, 5},      {0x1E, 0x72, Any, 0, 13},
    {0x1E, 0x90, Exactly, 0x04, 16}, {0x1E, 0x90, Exactly, 0x05, 17},
    {0x1E, 0x90, Exactly, 0x06, 18}, {0x1E, 0x90, Other, 0, 14},
    {0x1E, 0x91, Exactly, 0x01, 15}, {0x1E, 0x91, Exactly, 0x07, 21},
    {0x1E, 0x92, Exactly, 0x01, 22}, {0x1E, 0x92, Exactly, 0x02, 24},
    {0x1E, 0x92, Exactly, 0x03, 23}, {0x1E, 0x93, Exactly, 0x01, 25},
    {0x1E, 0x93, Exactly, 0x03, 26}, {0x1E, 0x93, Exactly, 0x06, 27},
    {0x1E, 0x93, Exactly, 0x08, 28},
    {0x89, 0x57, Any, 0, 38},     {0x89, 0x58, Exactly, 0x51, 38},
    {0x89, 0x58, Exactly, 0x52, 39}, {0x89, 0x58, Exactly, 0x54, 40},
    {0x89, 0x58, Exactly, 0xC0, 41}, {0x89, 0x58, Exactly, 0xFA, 41},
    {0x89, 0x58, Exactly, 0xC1, 42}, {0x89, 0x58, Exactly, 0xFB, 42},
}};

struct ProbeRange {
    int first;
    int last;
    int probe;
};

constexpr std::array<ProbeRange, 14> kFirstProbes{{
    {0, 2, 0},    {3, 6, 3},    {8, 8, 3},    {9, 9, 9},    {12, 13, 12},
    {14, 15, 14}, {16, 16, 16}, {19, 19, 16}, {17, 18, 17}, {20, 20, 20},
    {21, 21, 21}, {22, 28, 22}, {38, 42, 38}, {43, 45, 43},
}};

constexpr std::array<int, 12> kSweep{38, 43, 3, 9, 22, 12, 0, 14, 16, 20, 17, 21};

} // namespace

int signatureDevice(const Signature& s) {
    int other = kUnknownDevice;
    for (const auto& r : kSignatures) {
        if (r.manufacturer != s.manufacturer || r.device != s.device) continue;
        if (r.match == Any || (r.match == Exactly && r.variant == s.variant)) return r.index;
        if (r.match == Other) other = r.index;
    }
    return other;
}

int firstProbe(int i) {
    for (const auto& r : kFirstProbes)
        if (i >= r.first && i <= r.last) return r.probe;
    return -1;
}

std::span<const int> probeSweep() { return kSweep; }

bool withoutIdentification(int i, uint8_t serialAdapter) {
    constexpr IndexRange kNoSignature[] = {{7, 7}, {10, 11}, {29, 37}, {46, 196}};
    constexpr IndexRange kNoSignatureOnSerialAdapter[] = {{12, 13}};
    return inRanges(kNoSignature, i) || (serialAdapter == 1 && inRanges(kNoSignatureOnSerialAdapter, i));
}

bool signatureOf(int deviceIndex, Signature& out) {
    if (const int twin = traitsOf(deviceIndex).signatureTwin; twin >= 0) deviceIndex = twin;
    for (const auto& r : kSignatures) {
        if (r.index != deviceIndex) continue;
        // Where any variant is accepted, chips report the erased value 0xFF.
        out = {r.manufacturer, r.device, r.match == Exactly ? r.variant : uint8_t{0xFF}};
        if (signatureDevice(out) == deviceIndex) return true;
    }
    return false;
}

} // namespace kestro
