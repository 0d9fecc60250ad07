#pragma once
// Copying a file with the shell, as the picture window does for its temporary copies and for
// restoring a picture named on the command line.
#include <string>

namespace vistello {

// Copies source to destination with the shell, replacing the destination, under the wait
// cursor. A missing source and a failed copy are reported in the application's message box;
// false then.
[[nodiscard]] bool CopyFileWithShell(const std::string& source, const std::string& destination);

}  // namespace vistello
