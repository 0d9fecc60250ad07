#include "posix/posix_console.h"

#include <cstdio>

namespace vistello::tools::posix {

void StandardStreams::out(std::string_view utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

// Results printed so far come first, so the two streams read in order on one terminal.
void StandardStreams::err(std::string_view utf8) {
    std::fflush(stdout);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

}  // namespace vistello::tools::posix
