#pragma once
// The parts of a Windows program file that belong to the program itself, as its PE/COFF headers
// describe them (Microsoft PE format: the MS-DOS stub's e_lfanew, the "PE\0\0" signature, the
// COFF file header, the optional header's SizeOfHeaders, the section table). Whatever follows
// the last section's raw data (a COFF symbol table, a picture package) is not the image.
#include <cstdint>
#include <string>
#include <vector>

#include "app/byte_source.h"

namespace vistello::tools {

struct FileRange {
    uint64_t begin = 0;
    uint64_t end = 0;  // one past the last byte
};

struct PeImage {
    FileRange headers;               // [0, SizeOfHeaders)
    std::vector<FileRange> sections;  // the raw data of every section that has some, in table order
    uint64_t imageEnd = 0;           // the end of the headers and of every section's raw data
};

// Reads the headers from the first byte of a file of fileSize bytes. False, with the reason in
// problem, for a file that is not a PE program or whose headers or sections lie outside it.
[[nodiscard]] bool readPeImage(ByteSource& file, uint64_t fileSize, PeImage& image, std::string& problem);

}  // namespace vistello::tools
