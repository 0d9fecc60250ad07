#pragma once
// Unpacks the files a picture package encloses into the program's folder.
#include <cstdint>
#include <string>

namespace vistello {

// Reads the package of the program at programPath (from a temporary copy, deleted on every way
// out), starting at packageOffset, and writes each enclosed file into the program's folder
// under its stored name, replacing a file of that name. True when every entry was written.
// Stops at the first failure without a message of its own (copy file shows its own): files
// written before stay, the entry that failed leaves nothing behind, and a name that could
// reach outside the program's folder is a failure before anything is created under it.
[[nodiscard]] bool unpackEnclosedFiles(const std::string& programPath, uint32_t packageOffset);

}  // namespace vistello
