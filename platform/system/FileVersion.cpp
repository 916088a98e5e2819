#include "platform/system/System.h"
#include "platform/system/SystemText.h"

#include <array>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <optional>
#include <vector>

namespace {

template <typename T>
bool ReadAt(std::ifstream& file, uint64_t offset, T& out)
{
    file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(file.read(reinterpret_cast<char*>(&out), sizeof out));
}

bool ReadBytes(std::ifstream& file, uint64_t offset, uint64_t size, std::vector<char>& out)
{
    if (size > (1u << 20))  // no section we look at is anywhere near this
        return false;
    out.resize(static_cast<size_t>(size));
    file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(file.read(out.data(), static_cast<std::streamsize>(size)));
}

// The four 16-bit version fields from the version note of a 64-bit little-endian ELF file.
std::optional<std::array<uint16_t, 4>> ReadVersionNote(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    Elf64_Ehdr header {};
    if (!file || !ReadAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB
        || header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;
    Elf64_Shdr names {};
    std::vector<char> nameTable;
    if (!ReadAt(file, header.e_shoff + uint64_t(header.e_shstrndx) * sizeof(Elf64_Shdr), names)
        || !ReadBytes(file, names.sh_offset, names.sh_size, nameTable))
        return std::nullopt;
    nameTable.push_back('\0');
    for (uint16_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section {};
        if (!ReadAt(file, header.e_shoff + uint64_t(i) * sizeof(Elf64_Shdr), section))
            return std::nullopt;
        if (section.sh_name >= nameTable.size()
            || std::strcmp(&nameTable[section.sh_name], platform::kVersionNoteSection) != 0)
            continue;
        std::vector<char> note;
        Elf64_Nhdr noteHeader {};
        if (!ReadBytes(file, section.sh_offset, section.sh_size, note) || note.size() < sizeof noteHeader)
            return std::nullopt;
        std::memcpy(&noteHeader, note.data(), sizeof noteHeader);
        const size_t nameSpace = (noteHeader.n_namesz + 3u) & ~size_t(3);
        const size_t ownerSize = std::strlen(platform::kVersionNoteOwner) + 1;
        if (noteHeader.n_namesz != ownerSize || noteHeader.n_descsz != 8
            || note.size() < sizeof noteHeader + nameSpace + 8
            || std::memcmp(note.data() + sizeof noteHeader, platform::kVersionNoteOwner, ownerSize) != 0)
            return std::nullopt;
        std::array<uint16_t, 4> fields {};
        std::memcpy(fields.data(), note.data() + sizeof noteHeader + nameSpace, 8);
        return fields;
    }
    return std::nullopt;
}

}  // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle)
{
    if (handle)
        *handle = 0;
    if (!fileName || !ReadVersionNote(platform::system_text::ToPosixPath(fileName)))
        return 0;
    return sizeof(VS_FIXEDFILEINFO);
}

BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD, DWORD length, LPVOID data)
{
    if (!fileName || !data || length < sizeof(VS_FIXEDFILEINFO))
        return FALSE;
    const auto fields = ReadVersionNote(platform::system_text::ToPosixPath(fileName));
    if (!fields)
        return FALSE;
    VS_FIXEDFILEINFO info {};
    info.dwSignature = kFixedFileInfoSignature;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = info.dwProductVersionMS = (DWORD((*fields)[0]) << 16) | (*fields)[1];
    info.dwFileVersionLS = info.dwProductVersionLS = (DWORD((*fields)[2]) << 16) | (*fields)[3];
    std::memcpy(data, &info, sizeof info);
    return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length)
{
    if (!block || !subBlock || !buffer || std::wcscmp(subBlock, L"\\") != 0)
        return FALSE;
    VS_FIXEDFILEINFO info {};
    std::memcpy(&info, block, sizeof info);
    if (info.dwSignature != kFixedFileInfoSignature)
        return FALSE;
    *buffer = const_cast<LPVOID>(block);
    if (length)
        *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}
