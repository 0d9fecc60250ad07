#pragma once
// make's output: the stub, then the package, written as a stream into the temporary output
// file. The picture is in memory (the picture check decoded it); the stub and the enclosed
// files are copied from their files as they are written.
#include <span>
#include <string>

#include "app/package_writer.h"
#include "platform/files.h"

namespace vistello::tools {

struct EnclosedInput {
    std::string storedName;  // code page 932, as the package stores it
    InputFile* file = nullptr;
};

// head holds every item but the enclosed files' contents (its enclosedFiles hold their names,
// in the order of files). packageBytes gets the package's length. False with the reason in problem.
[[nodiscard]] bool writeProgram(OutputFile& out, InputFile& stub, const PackageContent& head,
                                std::span<const EnclosedInput> files, uint64_t& packageBytes,
                                std::string& problem);

}  // namespace vistello::tools
