#pragma once
// The program stub of a make run: the one --stub names, else the default. The Windows tool
// carries its default built in (ToolContext::builtInStub); the others look for vistello.exe
// beside the tool, then in ../share/vistello/ from the tool's folder, where `cmake --install`
// puts it.
#include <string>

#include "commands/run_files.h"
#include "commands/tool.h"

namespace vistello::tools {

// Opens the stub and checks it is one make can use (a Windows program stamped with its own
// length). given is null when no --stub was given. False with the reason in problem.
[[nodiscard]] bool openStub(ToolContext& tool, const std::string* given, RunInput& stub, std::string& problem);

}  // namespace vistello::tools
