#pragma once
// vistello-pack.exe started the way Windows starts a program that files are dropped on, or
// that is chosen to open a file: the paths are its only arguments. One JPEG or BMP picture
// becomes a picture program beside it, named after it and never over another file; anything
// else is answered with how to use the tool. Either way the answer is a message box.
#include <span>
#include <string>

#include "commands/tool.h"

namespace vistello::tools::win32 {

// Arguments that are paths of existing files or folders, not a command.
bool isDrop(std::span<const std::string> arguments, ToolContext& tool);
int runDrop(std::span<const std::string> arguments, ToolContext& tool);

// How to use the tool without a console, in Japanese and English.
std::string howToUse();

}  // namespace vistello::tools::win32
