// vistello-pack extract: the picture and the enclosed files of a picture program as files, all
// of them or none: every output is written to a temporary file first, and only when all are
// complete are they put in their targets' places.
#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "app/enclosed_name.h"
#include "commands/command_line.h"
#include "commands/report.h"
#include "commands/run_files.h"
#include "program/package_view.h"
#include "program/stream_copy.h"
#include "text/cp932.h"
#include "text/display_text.h"
#include "text/windows_names.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "extract";

constexpr char extractHelp[] = R"(Usage: vistello-pack extract PROGRAM [--picture OUT] [--files DIR] [--no-clobber]

Writes what the picture package in PROGRAM carries, byte for byte as stored:
  --picture OUT   the picture file (JPEG or BMP) to OUT
  --files DIR     the enclosed files into DIR under their stored names (folders in a
                  name are made as needed); DIR must exist. No link below DIR is ever
                  followed: a name that leads through a symbolic link is refused
  --no-clobber    refuse to replace any existing file
At least one of --picture and --files is needed. Existing files are replaced, except
read-only ones, which are refused. Nothing is replaced until every output is complete: on
any refusal or failure no file and no folder is left changed.

extract reads only what it writes: the package's settings (at most 1 MiB of texts), the
picture, and the enclosed files (at most 10000, names of at most 1024 bytes).

Exit status: 0 written, 1 no package, a damaged one, a name that would leave DIR or lead
through a link, a file that may not be replaced or cannot be written, 2 usage error.
)";

constexpr OptionRule extractOptions[] = {
    {"--picture", OptionKind::value, ""},
    {"--files", OptionKind::value, ""},
    {"--no-clobber", OptionKind::flag, ""},
};

// One output of the run: written to its temporary file, waiting for the commit.
struct PendingOutput {
    std::unique_ptr<OutputFile> file;
    std::string shownPath;
    std::string description;
};

// Everything one run made, undone in reverse unless it commits.
struct ExtractRun {
    RunInput program;
    PackageView view;
    bool noClobber = false;
    std::vector<PendingOutput> outputs;
    std::map<std::string, std::unique_ptr<OutputFolder>> folders;  // by their path below DIR ("" is DIR)
    std::vector<std::pair<OutputFolder*, std::string>> madeFolders;

    void undo() {
        outputs.clear();  // removes the temporary files
        for (auto made = madeFolders.rbegin(); made != madeFolders.rend(); ++made) made->first->removeFolder(made->second);
    }
};

bool writePending(ExtractRun& run, std::unique_ptr<OutputFile> file, const StoredItem& item, std::string shownPath,
                  std::string description, std::string& problem) {
    if (!file || !copyFileBytes(*run.program.file, item.at, item.size, *file, problem) || !file->finish(problem)) return false;
    run.outputs.push_back({std::move(file), std::move(shownPath), std::move(description)});
    return true;
}

bool preparePicture(ToolContext& tool, ExtractRun& run, const std::string& path, std::string& problem) {
    const RunInput* inputs[] = {&run.program};
    if (!targetAllowed(tool.files.examineTarget(path), path, inputs, run.noClobber, problem)) return false;
    std::vector<uint8_t> start(std::min<size_t>(2, run.view.picture.size));
    if (!run.program.file->readAt(run.view.picture.at, start, problem)) return false;
    const std::string description = std::string(pictureKindName(start)) + ", " + std::to_string(run.view.picture.size) + " bytes";
    return writePending(run, tool.files.createOutput(path, problem), run.view.picture, displayUtf8(path), description, problem);
}

// A stored name as the folders and the file name it writes, or false with the reason.
bool nameParts(const EnclosedFileView& file, std::vector<std::string>& parts, std::string& problem) {
    std::string name;
    const std::string shown = "enclosed file name '" + displayStoredText(file.name, false) + "' ";
    if (!cp932ToUtf8(file.name, name)) {
        problem = shown + "is not code page 932 text";
        return false;
    }
    if (!isSafeEnclosedName(file.name)) {
        problem = shown + "would leave the folder it is extracted to";
        return false;
    }
    parts.clear();
    std::string part;
    for (const char c : name) {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    parts.push_back(part);
    return true;
}

// The folder that holds parts' file, entered (and made where missing) from DIR without
// following a link.
OutputFolder* folderFor(ExtractRun& run, const std::vector<std::string>& parts, std::string& problem) {
    std::string key;
    OutputFolder* folder = run.folders.at("").get();
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string next = key + "/" + parts[i];
        if (!run.folders.count(next)) {
            bool created = false;
            auto entered = folder->enter(parts[i], created, problem);
            if (!entered) return nullptr;
            if (created) run.madeFolders.emplace_back(folder, parts[i]);
            run.folders[next] = std::move(entered);
        }
        folder = run.folders.at(next).get();
        key = next;
    }
    return folder;
}

// Windows compares names without letter case: two names it takes for one, or a name that is
// also a folder of another, would make the program write one over the other.
bool namesDistinct(const std::vector<std::vector<std::string>>& names, std::string& problem) {
    std::set<std::string> files;
    std::set<std::string> folders;
    for (const auto& parts : names) {
        std::string key;
        for (size_t i = 0; i < parts.size(); ++i) {
            key += "\\" + windowsComparisonKey(parts[i]);
            if (i + 1 < parts.size()) folders.insert(key);
            else if (!files.insert(key).second) problem = "two enclosed files have the name '" + key.substr(1) + "' (letter case aside)";
        }
    }
    for (const auto& file : files) {
        if (folders.count(file)) problem = "the enclosed name '" + file.substr(1) + "' is both a file and a folder";
    }
    return problem.empty();
}

bool prepareFiles(ToolContext& tool, ExtractRun& run, const std::string& dir, std::string& problem) {
    auto root = tool.files.openFolder(dir, problem);
    if (!root) return false;
    run.folders[""] = std::move(root);
    std::vector<std::vector<std::string>> names(run.view.enclosedFiles.size());
    for (size_t i = 0; i < names.size(); ++i) {
        if (!nameParts(run.view.enclosedFiles[i], names[i], problem)) return false;
    }
    if (!namesDistinct(names, problem)) return false;
    const RunInput* inputs[] = {&run.program};
    for (size_t i = 0; i < names.size(); ++i) {
        OutputFolder* folder = folderFor(run, names[i], problem);
        if (!folder) return false;
        const std::string& name = names[i].back();
        const std::string path = folder->pathOf(name);
        if (!targetAllowed(folder->examine(name), path, inputs, run.noClobber, problem)) return false;
        const StoredItem& contents = run.view.enclosedFiles[i].contents;
        if (!writePending(run, folder->createOutput(name, problem), contents, displayUtf8(path),
                          std::to_string(contents.size) + " bytes", problem))
            return false;
    }
    return true;
}

int commitAll(ToolContext& tool, ExtractRun& run) {
    std::string problem;
    for (size_t i = 0; i < run.outputs.size(); ++i) {
        if (!commitOutput(*run.outputs[i].file, run.noClobber, problem)) {
            if (i != 0) problem += " (" + std::to_string(i) + " of the " + std::to_string(run.outputs.size()) + " files were already written)";
            run.undo();
            return inputError(tool, command, problem);
        }
    }
    std::string report;
    for (const auto& output : run.outputs) report += "wrote " + output.shownPath + " (" + output.description + ")\n";
    tool.console.out(report);
    return exitSuccess;
}

}  // namespace

int runExtract(std::span<const std::string> arguments, ToolContext& tool) {
    ParsedArguments parsed;
    std::string problem;
    if (!parseArguments(arguments, extractOptions, parsed, problem)) return usageError(tool, command, problem);
    if (parsed.help) {
        tool.console.out(extractHelp);
        return exitSuccess;
    }
    if (parsed.positional.empty()) return usageError(tool, command, "no program given");
    if (parsed.positional.size() > 1) return usageError(tool, command, "more than one program given");
    const std::string* picture = parsed.value("--picture");
    const std::string* files = parsed.value("--files");
    if (!picture && !files) return usageError(tool, command, "nothing to extract: give --picture or --files");

    ExtractRun run;
    run.noClobber = parsed.has("--no-clobber");
    const std::string& path = parsed.positional[0];
    if (!openRunInput(tool.files, "the program", path, UINT64_MAX, "", run.program, problem))
        return inputError(tool, command, problem);
    if (!readPackageView(*run.program.file, run.view, problem)) return inputError(tool, command, displayUtf8(path) + ": " + problem);
    const bool prepared = (!picture || preparePicture(tool, run, *picture, problem)) &&
                          (!files || prepareFiles(tool, run, *files, problem));
    if (!prepared) {
        run.undo();
        return inputError(tool, command, problem);
    }
    if (files && run.view.enclosedFiles.empty()) tool.console.out("no enclosed files\n");
    return commitAll(tool, run);
}

}  // namespace vistello::tools
