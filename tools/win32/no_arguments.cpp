#include "win32/no_arguments.h"

#include <string>
#include <vector>

#include "platform/collected_console.h"
#include "win32/drop_mode.h"
#include "win32/message_box.h"

namespace vistello::tools::win32 {

// How the tool is used, with the whole command-line help, in a message box.
int startWithoutArguments(ToolContext& tool) {
    CollectedConsole help;
    ToolContext asked{tool.files, help, tool.builtInStub};
    (void)runTool(std::vector<std::string>{"--help"}, asked);
    showMessageBox(howToUse() + "\n\n" + help.outText(), BoxKind::information);
    return exitSuccess;
}

}  // namespace vistello::tools::win32
