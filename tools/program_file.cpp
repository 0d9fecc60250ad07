#include "program_file.h"

#include "app/package_offset.h"

namespace vistello::tools {
namespace {

// The offset stored in the program's constant, or false when the constant cannot be found.
bool storedOffset(std::span<const uint8_t> program, uint64_t& offset) {
    const auto position = findPackageOffset(program);
    if (!position) return false;
    offset = packageOffsetValue(program.subspan(*position).first<packageOffsetSize>());
    return true;
}

}  // namespace

bool checkStub(std::span<const uint8_t> stub, std::string& problem) {
    uint64_t offset = 0;
    if (!storedOffset(stub, offset)) {
        problem = "not a program stub: it holds no package-offset constant (or more than one)";
        return false;
    }
    if (offset == stub.size()) return true;
    const std::string numbers = " (offset " + std::to_string(offset) + ", length " + std::to_string(stub.size()) + ")";
    if (offset < stub.size()) {
        problem = "not a bare program stub: it is longer than its package offset, so it already carries a package" +
                  numbers;
    } else {
        problem = "the program stub is not stamped with its own length" + numbers;
    }
    return false;
}

bool locatePackage(std::span<const uint8_t> program, PackageLocation& location, std::string& problem) {
    if (!storedOffset(program, location.offset)) {
        problem = "not a picture program: it holds no package-offset constant (or more than one)";
        return false;
    }
    // A program no longer than its offset is a bare stub; the program itself ends at once then.
    if (location.offset >= program.size()) {
        problem = "carries no picture package (the file is " + std::to_string(program.size()) +
                  " bytes, the package would start at " + std::to_string(location.offset) + ")";
        return false;
    }
    location.package = program.subspan(size_t(location.offset));
    return true;
}

}  // namespace vistello::tools
