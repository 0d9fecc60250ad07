// vistello-pack info: every field of a picture program's package, in UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#include "app/package_reader.h"
#include "arguments.h"
#include "commands.h"
#include "cp932.h"
#include "file_io.h"
#include "package_view.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "info";

constexpr char infoHelp[] = R"(Usage: vistello-pack info PROGRAM

Prints every field of the picture package that PROGRAM carries (texts in UTF-8), the
picture's kind and length, and the enclosed files with their sizes. The package is found
through the package offset stored in PROGRAM.

Exit status: 0 shown, 1 no package or a damaged one (or PROGRAM unreadable), 2 usage error.
)";

const char* zOrderName(int32_t mode) {
    switch (mode) {
        case 2: return "always on top";
        case 3: return "always at the bottom";
        case 1: return "normal";
        default: return "normal (unknown value)";
    }
}

const char* positionName(int32_t position) {
    switch (position) {
        case 1: return "top-left";
        case 2: return "top-right";
        case 4: return "bottom-left";
        case 5: return "bottom-right";
        case 3: return "centre";
        default: return "centre (unknown value)";
    }
}

const char* linkTimingName(int32_t timing) {
    switch (timing) {
        case 1: return "when the window is up";
        case 2: return "when the window closes";
        default: return "never";
    }
}

void printText(const char* label, const std::string& cp932) {
    // Continuation lines of a multi-line text line up under the first.
    std::string shown;
    for (const char c : cp932ForDisplay(cp932)) {
        if (c == '\r') continue;
        shown.push_back(c);
        if (c == '\n') shown.append(18, ' ');
    }
    std::printf("%-18s%s\n", label, shown.c_str());
}

void printFields(const PackageFields& f) {
    printText("window title:", f.windowTitle);
    printText("work title:", f.workTitle);
    printText("comment:", f.commentText);
    if (f.autoExitSeconds > 0) std::printf("%-18s%d seconds\n", "auto exit:", f.autoExitSeconds);
    else std::printf("%-18snever (%d)\n", "auto exit:", f.autoExitSeconds);
    std::printf("%-18s%d (%s)\n", "z-order:", f.zOrderMode, zOrderName(f.zOrderMode));
    std::printf("%-18s%d (%s)\n", "start position:", f.startPosition, positionName(f.startPosition));
    std::printf("%-18s%d (%s)\n", "caption mode:", f.captionMode, f.captionMode < 0 ? "no title bar" : "title bar");
    std::printf("%-18s%d (%s)\n", "auto comment:", f.autoCommentFlag, f.autoCommentFlag == 1 ? "yes" : "no");
    std::printf("%-18s%d\n", "link flag:", f.linkFlag);
    if (f.linkFlag == packageFlagPresent) {
        std::printf("%-18s%d (%s)\n", "link timing:", f.linkTiming, linkTimingName(f.linkTiming));
        printText("link target:", f.linkTarget);
        printText("link parameters:", f.linkParameters);
    }
    std::printf("%-18s%d\n", "enclosed flag:", f.enclosedFileFlag);
}

void printView(const std::string& path, const PackageView& view) {
    std::printf("%-18s%s\n", "program:", path.c_str());
    std::printf("%-18s%llu (package %zu bytes)\n", "package offset:", static_cast<unsigned long long>(view.offset),
                view.packageSize);
    printFields(view.fields);
    std::printf("%-18s%s, %zu bytes\n", "picture:", pictureKindName(view.picture), view.picture.size());
    if (view.fields.enclosedFileFlag == packageFlagPresent) {
        std::printf("%-18s%zu\n", "enclosed files:", view.enclosedFiles.size());
        for (const auto& file : view.enclosedFiles)
            std::printf("  %s  %zu bytes\n", cp932ForDisplay(file.name).c_str(), file.contents.size());
    } else {
        std::printf("%-18snone\n", "enclosed files:");
    }
    for (const auto& note : view.notes) std::printf("note: %s\n", note.c_str());
    if (view.trailingBytes != 0) std::printf("note: %zu bytes follow the last item and are never read\n", view.trailingBytes);
}

}  // namespace
}  // namespace vistello::tools

int runInfo(int argc, char** argv) {
    using namespace vistello::tools;
    if (wantsHelp(argc, argv)) {
        std::fputs(infoHelp, stdout);
        return exitSuccess;
    }
    Arguments args(argc, argv);
    std::string path;
    while (!args.done()) {
        const std::string arg(args.take());
        if (arg.size() > 1 && arg[0] == '-') return usageError(command, "unknown option '" + arg + "'");
        if (!path.empty()) return usageError(command, "more than one program given");
        path = arg;
    }
    if (path.empty()) return usageError(command, "no program given");

    std::vector<uint8_t> program;
    std::string problem;
    if (!readWholeFile(path, program, problem)) return inputError(command, problem);
    PackageView view;
    if (!readProgramPackage(program, view, problem)) return inputError(command, path + ": " + problem);
    printView(path, view);
    return exitSuccess;
}
