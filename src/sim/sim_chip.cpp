#include "sim/sim_chip.h"

#include "buffers/atomic_file.h"
#include "devices/catalogue.h"
#include "devices/device_names.h"
#include "devices/signatures.h"
#include "buffers/image_state.h"
#include "devices/device_state.h"
#include "devices/traits.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>

namespace kestro {

namespace {

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

std::array<uint8_t, 3> SimChip::signature() const {
    Signature s;
    if (!signatureOf(device, s)) return {0xFF, 0xFF, 0xFF};
    return {s.manufacturer, s.device, s.variant};
}

std::vector<uint8_t>& SimChip::memoryFor(bool programCommand, int addressedDevice) {
    const int chip = device == kAnyChip ? addressedDevice : device;
    return programCommand || chip >= kFirstSingleMemoryDevice ? memory : data;
}

void fillPattern(std::vector<uint8_t>& memory) {
    for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i ^ (i >> 8));
}

std::optional<size_t> loadMemory(std::vector<uint8_t>& memory, const std::string& source) {
    if (source == "blank") return 0;
    if (source == "pattern") {
        fillPattern(memory);
        return 0;
    }
    std::ifstream in(source, std::ios::binary);
    if (!in) return std::nullopt;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::copy_n(bytes.begin(), std::min(bytes.size(), memory.size()), memory.begin());
    return bytes.size();
}

size_t fuseCount(const SimChip& chip) {
    const bool pic18 = chip.device == kAnyChip || picCoreOf(chip.device) == PicCore::Pic18;
    return pic18 ? chip.fuses.size() : 4;
}

namespace {
// Raw memory images, replaced whole; through a link only over another image.
bool writeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
    AtomicFile out;
    if (out.create(path, linkTargetIsImage)) {
        out.write(bytes.data(), bytes.size());
        if (out.commit()) return true;
    }
    error = path + ": " + out.reason();
    return false;
}
} // namespace

bool saveChip(const SimChip& chip, const std::string& prefix, std::string& error) {
    const uint8_t lock[] = {chip.lockByte};
    return writeFile(prefix + ".mem", chip.memory, error) &&
           (chip.data.empty() || writeFile(prefix + ".data", chip.data, error)) &&
           writeFile(prefix + ".fuses", std::span(chip.fuses).first(fuseCount(chip)), error) &&
           writeFile(prefix + ".lock", lock, error);
}

std::optional<int> chipByName(std::string_view name) {
    if (name == "any") return kAnyChip;
    if (name == "none") return kEmptySocket;
    return findDeviceIgnoringCase(name); // as kestro-cli takes a part: 29F010 is row 172
}

} // namespace kestro
