#pragma once
// Writing a whole file the picture window makes (a restored picture, a BMP, an enclosed file):
// an existing file is replaced, and a file that could not be written completely is not left
// behind half-written.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace vistello {

enum class NewFileResult : uint8_t {
    written,
    notCreated,  // the file could not be created (nothing was touched)
    notWritten,  // a write failed or came short; the incomplete file has been deleted
};

// Creates path for writing (exclusive sharing, replacing an existing file) and writes bytes.
[[nodiscard]] NewFileResult writeNewFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace vistello
