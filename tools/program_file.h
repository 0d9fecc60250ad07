#pragma once
// A program file as the tool sees it: the stub's bytes, carrying the package-offset constant,
// and the package appended behind them.
#include <cstdint>
#include <span>
#include <string>

namespace vistello::tools {

// A stub fit for make: its package-offset constant occurs once and holds the stub's own length.
// Otherwise false with the reason in problem.
[[nodiscard]] bool checkStub(std::span<const uint8_t> stub, std::string& problem);

// The package carried by a program file, found through the program's own package-offset
// constant. False with the reason in problem when there is no constant or no package behind it.
struct PackageLocation {
    uint64_t offset = 0;
    std::span<const uint8_t> package;
};
[[nodiscard]] bool locatePackage(std::span<const uint8_t> program, PackageLocation& location, std::string& problem);

}  // namespace vistello::tools
