// vistello-pack.exe: the arguments as Windows gives them (UTF-16, whatever the console's code
// page), in UTF-8 for the portable commands, over the Windows file and console seams; the stub
// built in. Without arguments, or with dropped files as its arguments, it answers in a window.
#include <string>
#include <vector>

#include "commands/tool.h"
#include "win32/built_in_stub.h"
#include "win32/drop_mode.h"
#include "win32/interrupt_cleanup.h"
#include "win32/message_box.h"
#include "win32/no_arguments.h"
#include "win32/wide_text.h"
#include "win32/win32_console.h"
#include "win32/win32_files.h"

int wmain(int argc, wchar_t** argv) {
    using namespace vistello::tools;
    win32::installInterruptCleanup();
    (void)win32::detachFromOwnConsole();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(win32::utf8FromWide(argv[i]));
    win32::Win32FileSystem files;
    win32::Win32Console console;
    ToolContext tool{files, console, win32::builtInStub()};
    int status = exitSuccess;
    if (arguments.empty()) status = win32::startWithoutArguments(tool);
    else if (win32::isDrop(arguments, tool)) status = win32::runDrop(arguments, tool);
    else status = runToolCatchingFailures(arguments, tool);
    if (!console.unshown().empty()) win32::showUnprintedOutput(console.unshown(), status);
    return status;
}
