#pragma once
// Whole-file reading and writing for the tool. Failures come back as a sentence that names the
// file and the reason, ready for the user.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vistello::tools {

[[nodiscard]] bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem);

// Writes the parts one after another into path, replacing an existing file. A regular file
// that could not be written completely is removed, so no half-written program is left behind.
[[nodiscard]] bool writeWholeFile(const std::string& path, std::span<const std::span<const uint8_t>> parts,
                                  std::string& problem);

}  // namespace vistello::tools
