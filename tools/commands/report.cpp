#include "commands/report.h"

namespace vistello::tools {

int usageError(ToolContext& tool, std::string_view command, const std::string& message) {
    const std::string name(command);
    tool.console.err("vistello-pack " + name + ": " + message + "\nTry 'vistello-pack " + name + " --help'.\n");
    return exitUsage;
}

int inputError(ToolContext& tool, std::string_view command, const std::string& message) {
    tool.console.err("vistello-pack " + std::string(command) + ": " + message + "\n");
    return exitBadInput;
}

void remark(ToolContext& tool, std::string_view command, const std::string& kind, const std::string& message) {
    tool.console.err("vistello-pack " + std::string(command) + ": " + kind + ": " + message + "\n");
}

}  // namespace vistello::tools
