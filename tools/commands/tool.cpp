// vistello-pack: makes picture programs and looks inside them.
#include "commands/tool.h"

#include <exception>
#include <new>
#include <string_view>

#include "version.h"

namespace vistello::tools {
namespace {

constexpr char toolHelp[] = R"(Usage: vistello-pack COMMAND [ARGUMENTS]

Makes self-displaying picture programs (a program stub with a picture package appended)
and looks inside them.

Commands:
  make      pack a JPEG or BMP picture and its settings into a picture program
  info      print every field of a picture program's package
  extract   write a picture program's picture and enclosed files as files
  decode    decode a JPEG or BMP picture with the program's own decoders into a BMP file

'vistello-pack COMMAND --help' or 'vistello-pack help COMMAND' describes each command;
'vistello-pack --version' prints the version. Options take their value as the next
argument or after "=" (--title=TEXT); "--" ends the options.
Exit status: 0 success, 1 bad input, 2 usage error.
)";

struct Command {
    std::string_view name;
    int (*run)(std::span<const std::string>, ToolContext&);
};

constexpr Command commands[] = {
    {"make", runMake},
    {"info", runInfo},
    {"extract", runExtract},
    {"decode", runDecode},
};

const Command* findCommand(std::string_view name) {
    for (const auto& command : commands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

int unknownCommand(ToolContext& tool, const std::string& name) {
    tool.console.err("vistello-pack: unknown command '" + name + "'\nTry 'vistello-pack --help'.\n");
    return exitUsage;
}

}  // namespace

bool isToolWord(std::string_view word) { return word.starts_with('-') || word == "help" || findCommand(word) != nullptr; }

int runTool(std::span<const std::string> arguments, ToolContext& tool) {
    if (arguments.empty()) {
        tool.console.err(toolHelp);
        return exitUsage;
    }
    const std::string& name = arguments[0];
    if (name == "--version") {
        tool.console.out("vistello-pack " VISTELLO_VERSION_TEXT "\n");
        return exitSuccess;
    }
    if (name == "--help" || name == "-h" || (name == "help" && arguments.size() == 1)) {
        tool.console.out(toolHelp);
        return exitSuccess;
    }
    if (name == "help") {
        const Command* command = findCommand(arguments[1]);
        if (!command) return unknownCommand(tool, arguments[1]);
        const std::string help[] = {"--help"};
        return command->run(std::span<const std::string>(help), tool);
    }
    const Command* command = findCommand(name);
    if (!command) return unknownCommand(tool, name);
    return command->run(arguments.subspan(1), tool);
}

int runToolCatchingFailures(std::span<const std::string> arguments, ToolContext& tool) {
    try {
        return runTool(arguments, tool);
    } catch (const std::bad_alloc&) {
        tool.console.err("vistello-pack: out of memory\n");
    } catch (const std::exception& failure) {
        tool.console.err(std::string("vistello-pack: ") + failure.what() + "\n");
    }
    return exitBadInput;
}

}  // namespace vistello::tools
