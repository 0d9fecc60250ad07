#pragma once
// vistello-pack.exe started without any argument, as a double-click starts it.
#include "commands/tool.h"

namespace vistello::tools::win32 {

int startWithoutArguments(ToolContext& tool);

}  // namespace vistello::tools::win32
