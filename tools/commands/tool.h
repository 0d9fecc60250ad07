#pragma once
// vistello-pack's commands, on whatever platform runs them: each gets its arguments (after the
// command's name) and the platform's seams, and returns the tool's exit status.
#include <span>
#include <string>

#include "platform/console.h"
#include "platform/files.h"

namespace vistello::tools {

inline constexpr int exitSuccess = 0;
inline constexpr int exitBadInput = 1;  // a file that cannot be read, used or written
inline constexpr int exitUsage = 2;     // arguments the command does not understand

struct ToolContext {
    FileSystem& files;
    Console& console;
};

int runMake(std::span<const std::string> arguments, ToolContext& tool);
int runInfo(std::span<const std::string> arguments, ToolContext& tool);
int runExtract(std::span<const std::string> arguments, ToolContext& tool);
int runDecode(std::span<const std::string> arguments, ToolContext& tool);

// The whole tool: arguments without the program's own name.
int runTool(std::span<const std::string> arguments, ToolContext& tool);
// runTool, with every exception (running out of memory included) ending as exit status 1 and a
// message instead of ending the process.
int runToolCatchingFailures(std::span<const std::string> arguments, ToolContext& tool);

}  // namespace vistello::tools
