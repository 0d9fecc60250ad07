#pragma once
// Where a picture program can start from. The program reads its own path through the ANSI API
// into a buffer of 260 bytes: the path must be made of code page 932 characters that read back
// as themselves, and take at most 259 bytes in that code page.
#include <string>
#include <string_view>

namespace vistello::tools {

// Why the program would not start from fullPath (UTF-8), or empty when it would.
std::string programPathProblem(std::string_view fullPath);

}  // namespace vistello::tools
