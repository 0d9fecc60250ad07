// vistello-pack on POSIX: the arguments as given (UTF-8), the POSIX file and console seams.
#include <string>
#include <vector>

#include "commands/tool.h"
#include "posix/interrupt_cleanup.h"
#include "posix/posix_console.h"
#include "posix/posix_files.h"

int main(int argc, char** argv) {
    using namespace vistello::tools;
    posix::installInterruptCleanup();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    posix::PosixFileSystem files;
    posix::StandardStreams console;
    ToolContext tool{files, console};
    return runToolCatchingFailures(arguments, tool);
}
