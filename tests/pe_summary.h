#pragma once
// What a Windows program file says about itself: machine, subsystem, size and the DLLs it imports.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

struct PeSummary {
    std::size_t size = 0;
    WORD machine = 0, subsystem = 0;
    DWORD timeStamp = 0;           // of the link
    WORD dllCharacteristics = 0;   // the security flags among them
    DWORD relocationBytes = 0;     // none, and the system cannot move the image whatever the flags say
    std::set<std::string> imports; // upper case
};

// A structure at a file offset; zeros past the end of the file.
template <class T> T peAt(const std::vector<unsigned char> &bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

inline PeSummary readPe(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    PeSummary pe;
    pe.size = bytes.size();
    const auto nt = static_cast<std::size_t>(peAt<LONG>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew)));
    const auto headers = peAt<IMAGE_NT_HEADERS64>(bytes, nt);
    if (headers.Signature != IMAGE_NT_SIGNATURE)
        return pe;
    pe.machine = headers.FileHeader.Machine;
    pe.timeStamp = headers.FileHeader.TimeDateStamp;
    pe.subsystem = headers.OptionalHeader.Subsystem;
    pe.dllCharacteristics = headers.OptionalHeader.DllCharacteristics;
    pe.relocationBytes = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size;

    const std::size_t sections =
        nt + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + headers.FileHeader.SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < headers.FileHeader.NumberOfSections; ++i) {
            const auto s = peAt<IMAGE_SECTION_HEADER>(bytes, sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return bytes.size();
    };
    const DWORD imports = headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (std::size_t d = fileOffset(imports); d < bytes.size(); d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = peAt<IMAGE_IMPORT_DESCRIPTOR>(bytes, d);
        if (descriptor.Name == 0)
            break;
        std::string name;
        for (std::size_t c = fileOffset(descriptor.Name); c < bytes.size() && bytes[c]; ++c)
            name += static_cast<char>(std::toupper(bytes[c]));
        pe.imports.insert(name);
    }
    return pe;
}
