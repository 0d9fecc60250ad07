// vistello-pack: makes picture programs and looks inside them.
#include <cstdio>
#include <string_view>

#include "commands.h"

namespace {

constexpr char toolHelp[] = R"(Usage: vistello-pack COMMAND [ARGUMENTS]

Makes self-displaying picture programs (a program stub with a picture package appended)
and looks inside them.

Commands:
  make      pack a JPEG or BMP picture and its settings into a picture program
  info      print every field of a picture program's package
  extract   write a picture program's picture and enclosed files as files
  decode    decode a JPEG or BMP picture with the program's own decoders into a BMP file

'vistello-pack COMMAND --help' describes each command.
Exit status: 0 success, 1 bad input, 2 usage error.
)";

struct Command {
    const char* name;
    int (*run)(int, char**);
};

constexpr Command commands[] = {
    {"make", runMake},
    {"info", runInfo},
    {"extract", runExtract},
    {"decode", runDecode},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(toolHelp, stderr);
        return exitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(toolHelp, stdout);
        return exitSuccess;
    }
    for (const auto& command : commands) {
        if (name == command.name) return command.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "vistello-pack: unknown command '%s'\nTry 'vistello-pack --help'.\n", argv[1]);
    return exitUsage;
}
