#include "authoring/open_program.h"

#include <array>

#include "platform/collected_console.h"
#include "program/package_view.h"
#include "text/cp932.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr char enclosedFolder[] = "files";

// The picture's file name in the scratch folder, after the program and with its kind's extension.
std::string pictureName(ToolContext& tool, const std::string& programPath, InputFile& file, const PackageView& view) {
    std::array<uint8_t, 2> start{};
    std::string ignored;
    const bool read = view.picture.size >= start.size() && file.readAt(view.picture.at, start, ignored);
    const std::string kind = read ? pictureKindName(start) : "unknown";
    const std::string extension = kind == "JPEG" ? ".jpg" : kind == "BMP" ? ".bmp" : ".bin";
    return stemOf(tool.files.fileName(programPath)) + extension;
}

void fillSettings(const PackageFields& fields, AuthoringForm& form) {
    form.windowTitle = formTextFromStored(fields.windowTitle, false);
    form.workTitle = formTextFromStored(fields.workTitle, false);
    form.comment = formTextFromStored(fields.commentText, true);
    form.autoExitSeconds = std::to_string(fields.autoExitSeconds);
    form.zOrderMode = fields.zOrderMode;
    form.startPosition = fields.startPosition;
    form.captionMode = fields.captionMode;
    form.autoCommentFlag = fields.autoCommentFlag;
    form.linkTarget.clear();
    form.linkParameters.clear();
    form.linkTiming = storedCode(LinkTiming::atStart);
    if (fields.linkFlag == packageFlagPresent) {
        form.linkTarget = formTextFromStored(fields.linkTarget, false);
        form.linkParameters = formTextFromStored(fields.linkParameters, false);
        form.linkTiming = fields.linkTiming;
    }
}

}  // namespace

std::string formTextFromStored(const std::string& cp932, bool keepLineBreaks) {
    std::string utf8;
    if (cp932ToUtf8(cp932, utf8)) return utf8;
    return displayStoredText(cp932, keepLineBreaks);
}

bool formFromProgram(ToolContext& tool, const std::string& programPath, const std::string& scratchFolder,
                     AuthoringForm& form, std::vector<std::string>& notes, std::string& problem) {
    PackageView view;
    std::string picture;
    {
        auto file = tool.files.openInput(programPath, problem);
        if (!file || !readPackageView(*file, view, problem)) return false;
        picture = tool.files.joinPath(scratchFolder, pictureName(tool, programPath, *file, view));
    }
    std::vector<std::string> arguments = {"extract", programPath, "--picture", picture};
    const std::string files = tool.files.joinPath(scratchFolder, enclosedFolder);
    if (view.fields.enclosedFileFlag == packageFlagPresent) {
        auto folder = tool.files.openFolder(scratchFolder, problem);
        bool created = false;
        if (!folder || !folder->enter(enclosedFolder, created, problem)) return false;
        arguments.insert(arguments.end(), {"--files", files});
    }
    CollectedConsole report;
    ToolContext quiet{tool.files, report, tool.builtInStub};
    if (runTool(arguments, quiet) != exitSuccess) {
        problem = report.errText();
        while (!problem.empty() && problem.back() == '\n') problem.pop_back();
        return false;
    }
    AuthoringForm opened;
    fillSettings(view.fields, opened);
    opened.picturePath = picture;
    notes.clear();
    for (const auto& entry : view.enclosedFiles) {
        const std::string name = formTextFromStored(entry.name, false);
        opened.enclosedPaths.push_back(tool.files.joinPath(files, name));
        if (name.find_first_of("\\/") != std::string::npos)
            notes.push_back("the enclosed file '" + displayUtf8(name) + "' is stored in a folder; made again it is stored "
                            "under its own name only");
    }
    if (view.fields.linkFlag == packageFlagPresent && view.fields.linkTarget.empty())
        notes.push_back("the program carries a link without a target; made again it carries no link");
    form = std::move(opened);
    return true;
}

}  // namespace vistello::tools
