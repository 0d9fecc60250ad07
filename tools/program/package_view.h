#pragma once
// A picture program's package read the ways the program reads it, by offset from the file: the
// settings as its loader reads them, the picture as its restore command walks to it, the
// enclosed files as its unpacker walks them. Nothing large is held: the picture and the
// enclosed files are positions in the file. info and extract share it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/package_fields.h"
#include "platform/files.h"
#include "program/program_file.h"

namespace vistello::tools {

// Bounds of the tool's own for items whose size the format does not state.
inline constexpr uint64_t maxSettingsBytes = uint64_t(1) << 20;  // the three texts and the link texts together
inline constexpr uint64_t maxEnclosedNameBytes = 1024;
inline constexpr uint32_t maxEnclosedFiles = 10000;

struct StoredItem {
    uint64_t at = 0;  // file position of the first byte
    uint32_t size = 0;
};

struct EnclosedFileView {
    std::string name;  // code page 932 bytes as stored
    StoredItem contents;
};

struct PackageView {
    ProgramFile program;
    uint64_t offset = 0;       // where the package starts in the file
    PackageFields fields;      // as the loader reads them
    StoredItem picture;        // as the restore command walks to it
    std::vector<EnclosedFileView> enclosedFiles;  // only when the enclosed-file flag is 1
    uint64_t trailingBytes = 0;                   // behind the last item the program reads
    std::vector<std::string> notes;               // oddities that do not stop the program
};

// False with the reason in problem for a file without a package or with a damaged one: a
// reading of the program (loader, restore command or unpacker) would fail on it.
[[nodiscard]] bool readPackageView(InputFile& file, PackageView& view, std::string& problem);

// "JPEG", "BMP" or "unknown", by the first two bytes as the program chooses its decoder.
const char* pictureKindName(std::span<const uint8_t> firstBytes);

}  // namespace vistello::tools
