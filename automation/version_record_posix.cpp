// The version record of a Linux library: its own ELF section.

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "automation/version_record.h"

namespace tarvenish {

namespace {

template <typename T>
bool readAt(std::ifstream& in, std::uint64_t offset, T& out) {
    in.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in.read(reinterpret_cast<char*>(&out), sizeof out));
}

bool readBytes(std::ifstream& in, std::uint64_t offset, std::uint64_t size, std::vector<char>& out) {
    // Section sizes come from the file; a damaged header must not make us allocate gigabytes.
    constexpr std::uint64_t kLimit = 64u << 20;
    if (size > kLimit) return false;
    out.resize(size);
    in.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(size)));
}

}  // namespace

std::optional<VersionRecord> readVersionRecord(const std::filesystem::path& library) {
    std::ifstream in(library, std::ios::binary);
    Elf64_Ehdr header{};
    if (!in || !readAt(in, 0, header)) return std::nullopt;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;

    Elf64_Shdr names{};
    if (!readAt(in, header.e_shoff + std::uint64_t{header.e_shstrndx} * sizeof(Elf64_Shdr), names))
        return std::nullopt;
    std::vector<char> nameTable;
    if (!readBytes(in, names.sh_offset, names.sh_size, nameTable)) return std::nullopt;

    for (std::uint16_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        if (!readAt(in, header.e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr), section)) return std::nullopt;
        if (section.sh_name >= nameTable.size()) continue;
        const char* name = nameTable.data() + section.sh_name;
        if (std::string_view(name, strnlen(name, nameTable.size() - section.sh_name)) != kVersionSectionName)
            continue;
        std::vector<char> bytes;
        if (!readBytes(in, section.sh_offset, section.sh_size, bytes)) return std::nullopt;
        return parseVersionRecord(std::string_view(bytes.data(), bytes.size()));
    }
    return std::nullopt;
}

}  // namespace tarvenish
