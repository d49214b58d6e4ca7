#pragma once
// Signature bytes of the chips that carry one, and the probes that read them.

#include <cstdint>
#include <span>

namespace kestro {

struct Signature {
    uint8_t manufacturer;
    uint8_t device;
    uint8_t variant;
};

// Device index a signature names, before the family check; 196 when none.
int signatureDevice(const Signature& s);

// The probe device to read a signature with first, for the current index; -1 when
// the table gives none.
int firstProbe(int deviceIndex);
std::span<const int> probeSweep();

// Devices whose signature the program does not read: identification lets them pass.
bool withoutIdentification(int deviceIndex, uint8_t serialAdapter);

// The first signature the table maps to the device (for simulated chips); false when
// the device has none.
bool signatureOf(int deviceIndex, Signature& out);

} // namespace kestro
