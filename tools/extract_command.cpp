// vistello-pack extract: the picture and the enclosed files of a picture program as files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/enclosed_name.h"
#include "arguments.h"
#include "commands.h"
#include "cp932.h"
#include "file_io.h"
#include "package_view.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "extract";

constexpr char extractHelp[] = R"(Usage: vistello-pack extract PROGRAM [--picture OUT] [--files DIR]

Writes what the picture package in PROGRAM carries, byte for byte as stored:
  --picture OUT   the picture file (JPEG or BMP) to OUT
  --files DIR     the enclosed files into DIR under their stored names (folders in a
                  name are made as needed); DIR must exist
At least one of the two is needed. Existing files are replaced.

Exit status: 0 written, 1 no package, a damaged one, a name that would leave DIR, or a
file that cannot be written, 2 usage error.
)";

// The stored names as paths below dir. All are checked before anything is written, so a
// package with one bad name leaves nothing half-extracted.
bool destinationsOf(const PackageView& view, const std::filesystem::path& dir, std::vector<std::filesystem::path>& paths,
                    std::string& problem) {
    for (const auto& file : view.enclosedFiles) {
        std::string name;
        if (!cp932ToUtf8(file.name, name)) {
            problem = "enclosed file name '" + cp932ForDisplay(file.name) + "' is not code page 932 text";
            return false;
        }
        if (!isSafeEnclosedName(file.name)) {
            problem = "enclosed file name '" + name + "' would leave the folder it is extracted to";
            return false;
        }
        for (char& c : name) {
            if (c == '\\') c = '/';
        }
        paths.push_back(dir / name);
    }
    return true;
}

bool extractFiles(const PackageView& view, const std::string& dir, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) {
        problem = dir + ": no such folder";
        return false;
    }
    if (view.enclosedFiles.empty()) {
        std::printf("no enclosed files\n");
        return true;
    }
    std::vector<std::filesystem::path> paths;
    if (!destinationsOf(view, dir, paths, problem)) return false;
    for (size_t i = 0; i < paths.size(); ++i) {
        std::filesystem::create_directories(paths[i].parent_path(), error);
        const std::span<const uint8_t> parts[] = {view.enclosedFiles[i].contents};
        if (!writeWholeFile(paths[i].string(), parts, problem)) return false;
        std::printf("wrote %s (%zu bytes)\n", paths[i].string().c_str(), view.enclosedFiles[i].contents.size());
    }
    return true;
}

}  // namespace
}  // namespace vistello::tools

int runExtract(int argc, char** argv) {
    using namespace vistello::tools;
    if (wantsHelp(argc, argv)) {
        std::fputs(extractHelp, stdout);
        return exitSuccess;
    }
    Arguments args(argc, argv);
    std::string path, picturePath, filesDir;
    while (!args.done()) {
        const std::string arg(args.take());
        if (arg == "--picture" || arg == "--files") {
            if (!args.takeValue(arg == "--picture" ? picturePath : filesDir)) return usageError(command, arg + " needs a value");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError(command, "unknown option '" + arg + "'");
        } else if (!path.empty()) {
            return usageError(command, "more than one program given");
        } else {
            path = arg;
        }
    }
    if (path.empty()) return usageError(command, "no program given");
    if (picturePath.empty() && filesDir.empty()) return usageError(command, "nothing to extract: give --picture or --files");

    std::vector<uint8_t> program;
    std::string problem;
    if (!readWholeFile(path, program, problem)) return inputError(command, problem);
    PackageView view;
    if (!readProgramPackage(program, view, problem)) return inputError(command, path + ": " + problem);
    if (!picturePath.empty()) {
        const std::span<const uint8_t> parts[] = {view.picture};
        if (!writeWholeFile(picturePath, parts, problem)) return inputError(command, problem);
        std::printf("wrote %s (%s, %zu bytes)\n", picturePath.c_str(), pictureKindName(view.picture), view.picture.size());
    }
    if (!filesDir.empty() && !extractFiles(view, filesDir, problem)) return inputError(command, problem);
    return exitSuccess;
}
