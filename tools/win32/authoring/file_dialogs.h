#pragma once
// The system's Open and Save As dialogs in their wide-character form, with UTF-8 paths.
#include <windows.h>

#include <string>
#include <vector>

namespace vistello::tools::win32 {

enum class OpenKind { picture, enclosedFiles, program };

// The chosen files (several only for enclosedFiles); empty when the dialog was cancelled.
std::vector<std::string> askForFiles(HWND owner, OpenKind kind);
// The program file to write, proposed as proposedPath; empty when cancelled.
std::string askWhereToSave(HWND owner, const std::string& proposedPath);

}  // namespace vistello::tools::win32
