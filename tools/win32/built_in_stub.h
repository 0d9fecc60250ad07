#pragma once
// The program stub vistello-pack.exe carries as its resource IDR_PROGRAM_STUB: the build's
// vistello.exe without symbols, stamped with its own length, so the tool alone makes picture
// programs.
#include <cstdint>
#include <span>

namespace vistello::tools::win32 {

// Empty when the resource is missing.
std::span<const uint8_t> builtInStub();

}  // namespace vistello::tools::win32
