#pragma once
// Large items move from an input file to an output through one buffer of a fixed size, so the
// size of a stub, a picture or an enclosed file never decides how much memory the tool takes.
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace vistello::tools {

[[nodiscard]] bool copyFileBytes(InputFile& from, uint64_t at, uint64_t size, OutputFile& to, std::string& problem);

}  // namespace vistello::tools
