#pragma once
// A program file as the tool sees it: the program's own image, which carries the tagged
// package-offset constant, and the picture package appended behind it. The constant is looked
// for only inside the image (headers and sections), where the program's build put it, so a tag
// in a title or in an enclosed file (another picture program, the stub itself) never counts.
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace vistello::tools {

// The furthest the program's readers can seek: they take the constant's low word as a signed
// 32-bit offset.
inline constexpr uint64_t maxPackageOffset = 0x7FFFFFFF;

struct ProgramFile {
    uint64_t fileSize = 0;
    uint64_t imageEnd = 0;      // the end of the headers and of every section's raw data
    uint64_t constantAt = 0;    // file position of the nine package-offset bytes
    uint64_t storedOffset = 0;  // their value, high word x 2^32 + low word
};

// False, with the reason in problem, for a file that is no Windows program or whose image holds
// the tag not exactly once.
[[nodiscard]] bool readProgramFile(InputFile& file, ProgramFile& program, std::string& problem);

// A stub fit for make: stamped with its own length (so no package is behind it) and short
// enough for the readers to seek behind it.
[[nodiscard]] bool checkStub(const ProgramFile& stub, std::string& problem);

// Where the package starts: the stamped offset, accepted when it lies at or past the end of the
// image (today's stub carries a COFF symbol table there, so the package starts after that) and
// inside the file. False, with the reason, when the file carries no package.
[[nodiscard]] bool locatePackage(const ProgramFile& program, uint64_t& packageOffset, std::string& problem);

}  // namespace vistello::tools
