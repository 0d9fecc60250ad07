#pragma once
// vistello-pack's commands, on whatever platform runs them: each gets its arguments (after the
// command's name) and the platform's seams, and returns the tool's exit status.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/files.h"

namespace vistello::tools {

inline constexpr int exitSuccess = 0;
inline constexpr int exitBadInput = 1;  // a file that cannot be read, used or written
inline constexpr int exitUsage = 2;     // arguments the command does not understand

struct ToolContext {
    FileSystem& files;
    Console& console;
    // The stub make uses when none is given, where the tool carries one (the Windows tool's
    // resource); empty elsewhere, where make looks for vistello.exe (commands/stub_choice.h).
    std::span<const uint8_t> builtInStub = {};
};

int runMake(std::span<const std::string> arguments, ToolContext& tool);
int runInfo(std::span<const std::string> arguments, ToolContext& tool);
int runExtract(std::span<const std::string> arguments, ToolContext& tool);
int runDecode(std::span<const std::string> arguments, ToolContext& tool);

// A first argument the tool takes as its own: a command's name, "help" or an option.
bool isToolWord(std::string_view word);

// The whole tool: arguments without the program's own name.
int runTool(std::span<const std::string> arguments, ToolContext& tool);
// runTool, with every exception (running out of memory included) ending as exit status 1 and a
// message instead of ending the process.
int runToolCatchingFailures(std::span<const std::string> arguments, ToolContext& tool);

}  // namespace vistello::tools
