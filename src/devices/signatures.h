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

// Devices whose signature the program does not read (they have no first probe):
// identification lets them pass.
bool withoutIdentification(int deviceIndex, bool serialAdapter);

// A signature the table maps to the device (what a real chip of that kind reports);
// false when the device has none. The high-voltage ATtinys answer as their
// low-voltage twins.
bool signatureOf(int deviceIndex, Signature& out);

} // namespace kestro
