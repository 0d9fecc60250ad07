#include "arguments.h"

#include <cstdio>

#include "commands.h"

namespace vistello::tools {

bool wantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

int usageError(std::string_view command, const std::string& message) {
    std::fprintf(stderr, "vistello-pack %.*s: %s\nTry 'vistello-pack %.*s --help'.\n", int(command.size()),
                 command.data(), message.c_str(), int(command.size()), command.data());
    return exitUsage;
}

int inputError(std::string_view command, const std::string& message) {
    std::fprintf(stderr, "vistello-pack %.*s: %s\n", int(command.size()), command.data(), message.c_str());
    return exitBadInput;
}

}  // namespace vistello::tools
