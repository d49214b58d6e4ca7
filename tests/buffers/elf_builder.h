#pragma once
// Small ELF executables for the loader's tests, written with libelf: one allocated
// section and one loadable segment per piece, at the piece's physical address.

#include "buffers/file_test_support.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace kestro::test {

struct ElfPiece {
    std::string section;
    uint64_t address;
    Bytes bytes;
};

inline Bytes makeElf(uint16_t machine, const std::vector<ElfPiece>& pieces, int elfClass = ELFCLASS32) {
    TempDir dir;
    const std::string file = dir / "out.elf";
    elf_version(EV_CURRENT);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    Elf* e = elf_begin(fd, ELF_C_WRITE, nullptr);
    GElf_Ehdr eh{};
    gelf_newehdr(e, elfClass);
    gelf_getehdr(e, &eh);
    eh.e_ident[EI_DATA] = ELFDATA2LSB;
    eh.e_type = ET_EXEC;
    eh.e_machine = machine;
    eh.e_version = EV_CURRENT;

    std::string names(1, '\0');
    std::vector<Elf_Scn*> sections;
    for (const ElfPiece& p : pieces) {
        Elf_Scn* scn = elf_newscn(e);
        Elf_Data* d = elf_newdata(scn);
        d->d_buf = const_cast<uint8_t*>(p.bytes.data());
        d->d_size = p.bytes.size();
        d->d_type = ELF_T_BYTE;
        d->d_align = 1;
        GElf_Shdr sh{};
        gelf_getshdr(scn, &sh);
        sh.sh_name = static_cast<uint32_t>(names.size());
        sh.sh_type = SHT_PROGBITS;
        sh.sh_flags = SHF_ALLOC;
        sh.sh_addr = p.address;
        gelf_update_shdr(scn, &sh);
        names += p.section + '\0';
        sections.push_back(scn);
    }
    Elf_Scn* strings = elf_newscn(e);
    const std::string stringsName = ".shstrtab";
    GElf_Shdr sh{};
    gelf_getshdr(strings, &sh);
    sh.sh_name = static_cast<uint32_t>(names.size());
    names += stringsName + '\0';
    Elf_Data* d = elf_newdata(strings);
    d->d_buf = names.data();
    d->d_size = names.size();
    d->d_type = ELF_T_BYTE;
    d->d_align = 1;
    sh.sh_type = SHT_STRTAB;
    gelf_update_shdr(strings, &sh);
    eh.e_shstrndx = static_cast<uint16_t>(elf_ndxscn(strings));
    gelf_update_ehdr(e, &eh);
    gelf_newphdr(e, pieces.size()); // after the header update, which would reset its count

    elf_update(e, ELF_C_NULL); // lays the sections out
    for (size_t i = 0; i < pieces.size(); ++i) {
        GElf_Shdr s{};
        gelf_getshdr(sections[i], &s);
        GElf_Phdr ph{};
        ph.p_type = PT_LOAD;
        ph.p_offset = s.sh_offset;
        ph.p_vaddr = ph.p_paddr = pieces[i].address;
        ph.p_filesz = ph.p_memsz = pieces[i].bytes.size();
        ph.p_flags = PF_R;
        ph.p_align = 1;
        gelf_update_phdr(e, static_cast<int>(i), &ph);
    }
    elf_update(e, ELF_C_WRITE);
    elf_end(e);
    ::close(fd);
    return readBytes(file);
}

} // namespace kestro::test
