#include "program/program_writer.h"

#include <vector>

#include "program/stream_copy.h"

namespace vistello::tools {

bool writeProgram(OutputFile& out, InputFile& stub, const PackageContent& head, std::span<const EnclosedInput> files,
                  uint64_t& packageBytes, std::string& problem) {
    if (!copyFileBytes(stub, 0, stub.size(), out, problem)) return false;
    std::vector<uint8_t> bytes;
    const char* refused = nullptr;
    if (!writePackageHead(head, bytes, refused)) {
        problem = refused;
        return false;
    }
    if (!out.write(bytes, problem)) return false;
    packageBytes = bytes.size();
    for (const auto& file : files) {
        bytes.clear();
        if (!writeEnclosedEntryHead(file.storedName, file.file->size(), bytes, refused)) {
            problem = refused;
            return false;
        }
        if (!out.write(bytes, problem) || !copyFileBytes(*file.file, 0, file.file->size(), out, problem)) return false;
        packageBytes += bytes.size() + file.file->size();
    }
    return true;
}

}  // namespace vistello::tools
