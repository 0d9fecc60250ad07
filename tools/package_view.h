#pragma once
// A picture program's package read the ways the program reads it: the settings and the picture
// as its loader does, the enclosed files as its unpacker does. info and extract share it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/package_fields.h"

namespace vistello::tools {

struct EnclosedFileView {
    std::string name;  // code page 932 bytes as stored
    std::span<const uint8_t> contents;
};

struct PackageView {
    uint64_t offset = 0;      // where the package starts in the program file
    size_t packageSize = 0;
    PackageFields fields;     // as the loader reads them
    std::span<const uint8_t> picture;  // as the restore command walks to it
    std::vector<EnclosedFileView> enclosedFiles;  // only when the enclosed-file flag is 1
    size_t trailingBytes = 0;  // behind the last item the program reads
    std::vector<std::string> notes;  // oddities that do not stop the program
};

// False with the reason in problem for a file without a package or with a damaged one: any
// reading of the program (loader, restore, unpacker) would fail on it.
[[nodiscard]] bool readProgramPackage(std::span<const uint8_t> program, PackageView& view, std::string& problem);

// "JPEG", "BMP" or "unknown", by the first two bytes as the program chooses its decoder.
const char* pictureKindName(std::span<const uint8_t> picture);

}  // namespace vistello::tools
