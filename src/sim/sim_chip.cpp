#include "sim/sim_chip.h"

#include "devices/catalogue.h"
#include "shell/state.h"

#include <algorithm>

namespace kestro {

namespace {

struct SignatureRow {
    int device;
    std::array<uint8_t, 3> bytes;
};

// What the chips with a signature report (manufacturer, device, variant). Where the
// program accepts any variant, the chips' usual 0xFF is given.
constexpr std::array<SignatureRow, 34> kSignatures{{
    {0, {0x1E, 0x11, 0xFF}},  {1, {0x1E, 0x21, 0xFF}},  {2, {0x1E, 0x41, 0xFF}},
    {3, {0x1E, 0x51, 0xFF}},  {4, {0x1E, 0x51, 0x07}},  {5, {0x1E, 0x62, 0xFF}},
    {6, {0x1E, 0x52, 0xFF}},  {8, {0x1E, 0x55, 0xFF}},  {9, {0x1E, 0x55, 0x06}},
    {12, {0x1E, 0x53, 0xFF}}, {13, {0x1E, 0x72, 0xFF}}, {14, {0x1E, 0x90, 0x01}},
    {15, {0x1E, 0x91, 0x01}}, {16, {0x1E, 0x90, 0x04}}, {17, {0x1E, 0x90, 0x05}},
    {18, {0x1E, 0x90, 0x06}}, {19, {0x1E, 0x90, 0x05}}, {20, {0x1E, 0x90, 0x06}},
    {21, {0x1E, 0x91, 0x07}}, {22, {0x1E, 0x92, 0x01}}, {23, {0x1E, 0x92, 0x03}},
    {24, {0x1E, 0x92, 0x02}}, {25, {0x1E, 0x93, 0x01}}, {26, {0x1E, 0x93, 0x03}},
    {27, {0x1E, 0x93, 0x06}}, {28, {0x1E, 0x93, 0x08}}, {38, {0x89, 0x58, 0x51}},
    {39, {0x89, 0x58, 0x52}}, {40, {0x89, 0x58, 0x54}}, {41, {0x89, 0x58, 0xC0}},
    {42, {0x89, 0x58, 0xC1}}, {43, {0x15, 0x92, 0xFF}}, {44, {0x15, 0x97, 0xFF}},
    {45, {0x15, 0xBB, 0xFF}},
}};

constexpr int kFirstSingleMemoryDevice = 102;

} // namespace

SimChip SimChip::blank(int device) {
    SimChip chip;
    chip.device = device;
    if (device == kAnyChip) {
        chip.memory.resize(kProgramBufferSize);
        chip.data.resize(kDataBufferSize);
    } else if (device >= 0 && device < kDeviceCount) {
        const CatalogueRow& row = catalogueRows()[static_cast<size_t>(device)];
        chip.memory.resize(row.programSize > 0 ? row.programSize : row.dataSize);
        chip.data.resize(row.programSize > 0 ? row.dataSize : 0);
    }
    chip.erase();
    return chip;
}

void SimChip::erase() {
    std::fill(memory.begin(), memory.end(), 0xFF);
    std::fill(data.begin(), data.end(), 0xFF);
    fuses.fill(0xFF);
    lockByte = 0;
}

std::array<uint8_t, 3> SimChip::signature(int addressedDevice) const {
    const int chip = device == kAnyChip ? addressedDevice : device;
    for (const SignatureRow& row : kSignatures)
        if (row.device == chip) return row.bytes;
    return {0xFF, 0xFF, 0xFF};
}

std::vector<uint8_t>& SimChip::memoryFor(bool programCommand, int addressedDevice) {
    const int chip = device == kAnyChip ? addressedDevice : device;
    return programCommand || chip >= kFirstSingleMemoryDevice ? memory : data;
}

std::optional<int> chipByName(std::string_view name) {
    if (name == "any") return kAnyChip;
    if (name == "none") return kEmptySocket;
    return findDeviceByName(name);
}

} // namespace kestro
