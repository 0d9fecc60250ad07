#pragma once
// How every command reports: "vistello-pack COMMAND: ..." on standard error, and the exit status
// that goes with it.
#include <string>
#include <string_view>

#include "commands/tool.h"

namespace vistello::tools {

// A usage error (exit status 2), with where to find help.
int usageError(ToolContext& tool, std::string_view command, const std::string& message);
// Bad input (exit status 1).
int inputError(ToolContext& tool, std::string_view command, const std::string& message);
// A line on standard error that does not end the command ("warning: ...", "note: ...").
void remark(ToolContext& tool, std::string_view command, const std::string& kind, const std::string& message);

}  // namespace vistello::tools
