#include "buffers/elf_file.h"

#include "buffers/file_commands.h"
#include "buffers/hex_reader.h"
#include "buffers/images.h"
#include "buffers/regular_file.h"
#include "devices/signatures.h"
#include "devices/traits.h"

#include <gelf.h>
#include <libelf.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace kestro {

namespace {

// avr-gcc's address spaces above the flash.
constexpr uint64_t kAvrRam = 0x800000, kAvrEeprom = 0x810000, kAvrFuses = 0x820000,
                   kAvrLock = 0x830000, kAvrSignature = 0x840000, kAvrSpaceSize = 0x10000;
constexpr size_t kSignatureBytes = 3;
// Far more than any executable for these parts with its debugging sections.
constexpr size_t kElfFileLimit = 64u << 20;

struct ElfCloser {
    void operator()(Elf* e) const { elf_end(e); }
};

// A run of file bytes and where the executable loads them.
struct Piece {
    uint64_t address;
    uint64_t offset; // in the file
    uint64_t size;
};

std::string hexAddress(uint64_t a) {
    char s[24];
    std::snprintf(s, sizeof s, "0x%06llX", static_cast<unsigned long long>(a));
    return s;
}

// The name of the allocated section that holds file offset `offset`.
std::string sectionAt(Elf* e, uint64_t offset) {
    size_t names = 0;
    if (elf_getshdrstrndx(e, &names) != 0) return "?";
    for (Elf_Scn* scn = elf_nextscn(e, nullptr); scn; scn = elf_nextscn(e, scn)) {
        GElf_Shdr sh;
        if (!gelf_getshdr(scn, &sh) || sh.sh_type == SHT_NOBITS || !(sh.sh_flags & SHF_ALLOC)) continue;
        if (offset >= sh.sh_offset && offset - sh.sh_offset < sh.sh_size) {
            const char* name = elf_strptr(e, names, sh.sh_name);
            return name ? name : "?";
        }
    }
    return "?";
}

// Where one byte of an AVR executable goes.
enum class AvrSpace : uint8_t { Outside, Flash, Eeprom, Fuse, Lock, Signature };
struct AvrSlot {
    AvrSpace space;
    uint32_t index;
};

AvrSlot avrSlot(const SelectedDevice& dev, uint64_t a) {
    const DeviceTraits& t = traitsOf(dev.index);
    if (a < kAvrRam) return {a < dev.programSize ? AvrSpace::Flash : AvrSpace::Outside, static_cast<uint32_t>(a)};
    if (a < kAvrEeprom || a >= kAvrSignature + kAvrSpaceSize) return {AvrSpace::Outside, 0};
    const auto k = static_cast<uint32_t>(a % kAvrSpaceSize);
    if (a < kAvrFuses) return {k < dev.dataSize ? AvrSpace::Eeprom : AvrSpace::Outside, k};
    if (a < kAvrLock) {
        if (k >= std::size(t.elfFuseSlot) || t.elfFuseSlot[k] < 0) return {AvrSpace::Outside, 0};
        return {AvrSpace::Fuse, static_cast<uint32_t>(t.elfFuseSlot[k])};
    }
    if (a < kAvrSignature) return {k == 0 ? AvrSpace::Lock : AvrSpace::Outside, k};
    return {k < kSignatureBytes ? AvrSpace::Signature : AvrSpace::Outside, k};
}

// Manufacturer first, as data sheets give it.
std::string signatureText(const uint8_t (&s)[kSignatureBytes]) {
    char t[16];
    std::snprintf(t, sizeof t, "%02X %02X %02X", s[2], s[1], s[0]);
    return t;
}

class ElfLoad {
public:
    ElfLoad(std::span<const uint8_t> file, Images& img, const SelectedDevice& dev,
            LoadReport& report)
        : file_(file.begin(), file.end()), img_(img), dev_(dev), report_(report) {}

    std::string run() {
        if (std::string e = open(); !e.empty()) return e;
        if (std::string e = collect(); !e.empty()) return e;
        return dev_.index >= 0 && traitsOf(dev_.index).avr ? placeAvr() : placeByHexConventions();
    }

private:
    std::string open() {
        elf_version(EV_CURRENT);
        if (file_.empty()) return "Not an ELF file";
        elf_.reset(elf_memory(reinterpret_cast<char*>(file_.data()), file_.size()));
        if (!elf_ || elf_kind(elf_.get()) != ELF_K_ELF)
            return file_.size() >= SELFMAG && std::equal(file_.begin(), file_.begin() + SELFMAG, ELFMAG)
                       ? "Truncated ELF file"
                       : "Not an ELF file";
        if (gelf_getclass(elf_.get()) != ELFCLASS32) return "A 64-bit ELF file: the parts take 32-bit ELF files";
        GElf_Ehdr eh;
        if (!gelf_getehdr(elf_.get(), &eh)) return "Truncated ELF file";
        // libelf counts no segments at all where their table runs past the end.
        if (eh.e_phoff > file_.size() || uint64_t{eh.e_phnum} * eh.e_phentsize > file_.size() - eh.e_phoff)
            return "Truncated ELF file";
        const bool avrPart = traitsOf(dev_.index).avr;
        if (avrPart && eh.e_machine != EM_AVR)
            return "An ELF file for machine " + std::to_string(eh.e_machine) + ", not AVR: the " +
                   dev_.name + " takes AVR files";
        if (!avrPart && eh.e_machine == EM_AVR)
            return std::string("An ELF file for AVR: the ") + dev_.name + " is not an AVR part";
        return {};
    }

    // The loadable segments with file contents, checked against the file's length.
    std::string collect() {
        size_t count = 0;
        if (elf_getphdrnum(elf_.get(), &count) != 0) return "Truncated ELF file";
        for (size_t i = 0; i < count; ++i) {
            GElf_Phdr ph;
            if (!gelf_getphdr(elf_.get(), static_cast<int>(i), &ph)) return "Truncated ELF file";
            if (ph.p_type != PT_LOAD || ph.p_filesz == 0) continue;
            if (ph.p_offset > file_.size() || ph.p_filesz > file_.size() - ph.p_offset)
                return "Truncated ELF file";
            pieces_.push_back({ph.p_paddr, ph.p_offset, ph.p_filesz});
        }
        if (pieces_.empty()) return "No loadable data in the ELF file";
        return {};
    }

    std::string outside(const Piece& p, uint64_t i) {
        return "Section " + sectionAt(elf_.get(), p.offset + i) + " at " + hexAddress(p.address + i) +
               " lies outside the memories of the " + dev_.name;
    }

    std::string placeAvr() {
        uint8_t signature[kSignatureBytes] = {};
        bool hasSignature = false;
        for (const Piece& p : pieces_)
            for (uint64_t i = 0; i < p.size; ++i) {
                const AvrSlot s = avrSlot(dev_, p.address + i);
                if (s.space == AvrSpace::Outside) return outside(p, i);
                if (s.space == AvrSpace::Signature) {
                    signature[s.index] = file_[p.offset + i];
                    hasSignature = true;
                }
            }
        // avr-libc stores the signature last byte first.
        Signature want{};
        if (hasSignature && signatureOf(dev_.index, want)) {
            const uint8_t expected[kSignatureBytes] = {want.variant, want.device, want.manufacturer};
            if (!std::equal(signature, signature + kSignatureBytes, expected))
                return "The ELF file's signature " + signatureText(signature) + " is not the " +
                       dev_.name + "'s (" + signatureText(expected) + ")";
        }
        clearImages(img_);
        for (const Piece& p : pieces_)
            for (uint64_t i = 0; i < p.size; ++i) {
                const AvrSlot s = avrSlot(dev_, p.address + i);
                const uint8_t v = file_[p.offset + i];
                switch (s.space) {
                case AvrSpace::Flash:
                    img_.program[s.index] = v;
                    report_.place(ImageArea::Program, s.index);
                    break;
                case AvrSpace::Eeprom:
                    img_.data[s.index] = v;
                    report_.place(ImageArea::Data, s.index);
                    break;
                case AvrSpace::Fuse:
                    img_.configBlock[s.index] = v;
                    img_.fusesLoaded = true;
                    report_.place(ImageArea::Config, s.index);
                    break;
                default: // the lock is chosen in the fuse panel; the signature is checked
                    report_.drop();
                    break;
                }
            }
        return {};
    }

    std::string placeByHexConventions() {
        const HexReader reader = hexReaderFor(dev_.index);
        LoadTally tally(reader, dev_, report_);
        for (const Piece& p : pieces_)
            for (uint64_t i = 0; i < p.size; ++i) {
                tally.add(p.address + i, file_[p.offset + i]);
                if (report_.outsideBytes > 0) return outside(p, i);
            }
        clearImages(img_);
        for (const Piece& p : pieces_)
            for (uint64_t i = 0; i < p.size; ++i) placeFileByte(reader, img_, p.address + i, file_[p.offset + i]);
        finishHexLoad(reader, img_, dev_);
        return {};
    }

    std::vector<uint8_t> file_; // libelf reads from a writable copy
    Images& img_;
    const SelectedDevice& dev_;
    LoadReport& report_;
    std::unique_ptr<Elf, ElfCloser> elf_;
    std::vector<Piece> pieces_;
};

} // namespace

std::string loadElf(std::span<const uint8_t> file, Images& img, const SelectedDevice& dev,
                    LoadReport* report) {
    LoadReport scratch;
    LoadReport& r = report ? *report : scratch;
    r = {};
    r.kind = LoadReport::Elf;
    return ElfLoad(file, img, dev, r).run();
}

std::string loadElf(const std::string& path, Images& img, const SelectedDevice& dev,
                    LoadReport* report) {
    std::vector<uint8_t> bytes;
    if (!readRegularFile(path, bytes, kElfFileLimit)) return kCantOpenBinary;
    return loadElf(bytes, img, dev, report);
}

} // namespace kestro
