#pragma once
// The tool's message boxes, for the ways it is started without a console: a text in UTF-8,
// captioned "vistello-pack".
#include <string_view>

namespace vistello::tools::win32 {

enum class BoxKind { information, warning, error };

void showMessageBox(std::string_view utf8, BoxKind kind);

// What a command would have printed on a console the tool does not have (started from a
// shortcut with arguments), shown after it ended with the exit status status.
void showUnprintedOutput(std::string_view utf8, int status);

}  // namespace vistello::tools::win32
