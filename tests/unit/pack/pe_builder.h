#pragma once
// Small but well-formed PE32+ files for the tests of the program-file readers: an MS-DOS
// header pointing at the PE signature, a COFF header, an optional header of the usual 240
// bytes, the section table, then each section's raw data at a 512-byte file alignment, and
// whatever the test appends behind the last section (a symbol table, a package).
#include <cstdint>
#include <string>
#include <vector>

namespace vistello::test {

struct PeSection {
    std::string name;
    std::vector<uint8_t> data;  // empty: a section without raw data (like .bss)
};

inline void putU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

inline void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

inline std::vector<uint8_t> buildPe(const std::vector<PeSection>& sections, const std::vector<uint8_t>& behind = {}) {
    constexpr size_t peAt = 0x40, optionalSize = 240, alignment = 0x200;
    const size_t tableAt = peAt + 4 + 20 + optionalSize;
    const size_t headersEnd = (tableAt + 40 * sections.size() + alignment - 1) / alignment * alignment;
    std::vector<uint8_t> file(headersEnd, 0);
    file[0] = 'M';
    file[1] = 'Z';
    putU32(file, 0x3C, peAt);
    file[peAt] = 'P';
    file[peAt + 1] = 'E';
    putU16(file, peAt + 4, 0x8664);                       // machine: x86-64
    putU16(file, peAt + 6, uint16_t(sections.size()));   // NumberOfSections
    putU16(file, peAt + 20, optionalSize);                // SizeOfOptionalHeader
    putU16(file, peAt + 24, 0x20B);                       // PE32+
    putU32(file, peAt + 24 + 60, uint32_t(headersEnd));   // SizeOfHeaders
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t header = tableAt + 40 * i;
        for (size_t c = 0; c < sections[i].name.size() && c < 8; ++c) file[header + c] = uint8_t(sections[i].name[c]);
        if (sections[i].data.empty()) continue;
        const size_t rawSize = (sections[i].data.size() + alignment - 1) / alignment * alignment;
        putU32(file, header + 16, uint32_t(rawSize));        // SizeOfRawData
        putU32(file, header + 20, uint32_t(file.size()));    // PointerToRawData
        file.insert(file.end(), sections[i].data.begin(), sections[i].data.end());
        file.resize(file.size() + rawSize - sections[i].data.size(), 0);
    }
    file.insert(file.end(), behind.begin(), behind.end());
    return file;
}

}  // namespace vistello::test
