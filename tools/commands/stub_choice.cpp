#include "commands/stub_choice.h"

#include "platform/memory_input.h"
#include "program/program_file.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr char role[] = "the stub";
constexpr char limitText[] = "the 2147483647 bytes the program can seek past";
constexpr char stubName[] = "vistello.exe";

bool openDefault(ToolContext& tool, RunInput& stub, std::string& problem) {
    if (!tool.builtInStub.empty()) {
        stub.role = role;
        stub.path = "the stub built into vistello-pack";
        stub.file = std::make_unique<MemoryInputFile>(tool.builtInStub);
        return true;
    }
    const std::string folder = tool.files.toolFolder();
    if (folder.empty()) {
        problem = "no --stub given, and the system does not say where the tool lies: give --stub PATH";
        return false;
    }
    const FileSystem& files = tool.files;
    const std::string beside = files.joinPath(folder, stubName);
    const std::string installed =
        files.joinPath(files.joinPath(files.joinPath(files.joinPath(folder, ".."), "share"), "vistello"), stubName);
    for (const std::string& path : {beside, installed}) {
        if (tool.files.examineTarget(path).kind != TargetKind::absent)
            return openRunInput(tool.files, role, path, maxPackageOffset, limitText, stub, problem);
    }
    problem = "no --stub given, and there is no " + std::string(stubName) + " beside the tool (" + displayUtf8(beside) +
              ") nor in the installed place (" + displayUtf8(installed) + "): give --stub PATH";
    return false;
}

}  // namespace

bool openStub(ToolContext& tool, const std::string* given, RunInput& stub, std::string& problem) {
    const bool opened = given ? openRunInput(tool.files, role, *given, maxPackageOffset, limitText, stub, problem)
                              : openDefault(tool, stub, problem);
    if (!opened) return false;
    ProgramFile program;
    if (readProgramFile(*stub.file, program, problem) && checkStub(program, problem)) return true;
    problem = displayUtf8(stub.path) + ": " + problem;
    return false;
}

}  // namespace vistello::tools
