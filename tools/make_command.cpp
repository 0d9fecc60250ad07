// vistello-pack make: a picture program from a stub, a picture and the package settings.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/enclosed_name.h"
#include "app/package_writer.h"
#include "arguments.h"
#include "commands.h"
#include "cp932.h"
#include "file_io.h"
#include "picture_check.h"
#include "program_file.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "make";

constexpr char makeHelp[] = R"(Usage: vistello-pack make [OPTIONS] PICTURE -o OUT.exe

Makes a picture program: a copy of the program stub with a package appended that holds
PICTURE (a JPEG or BMP file) and the settings below. Texts are given in UTF-8 and stored
in code page 932; a text that code page 932 cannot hold is an error.

  -o, --output OUT.exe      the picture program to write (replaced if it exists)
  --stub PATH               the program stub (default: vistello.exe beside this tool,
                            else the Windows build's bin/vistello.exe)
  --title TEXT              window title (default: empty)
  --work-title TEXT         name of the work, shown first in the comment dialog
  --comment TEXT            the author's comment; line breaks are stored as CR LF
  --comment-file PATH       the comment from a UTF-8 text file (trailing line breaks dropped)
  --auto-exit SECONDS       close the window after SECONDS (default 0: never)
  --z-order MODE            normal (default), top or bottom
  --position PLACE          top-left, top-right, centre (default), bottom-left, bottom-right
  --no-caption              show the picture without a title bar
  --auto-comment            open the comment dialog by itself at start
  --link TARGET             a file, program, folder or web address handed to the shell;
                            a leading "*" stands for the program's folder ("*\readme.txt")
  --link-params TEXT        parameters handed to the shell with the link target
  --link-when WHEN          start (default: when the window is up) or close
  --enclose FILE            enclose FILE, stored under its base name (repeatable)
  --force                   pack the picture even if the program would not display it
  -h, --help                show this help

Exit status: 0 written, 1 bad input (unreadable or unusable file, text not in code
page 932, picture refused), 2 usage error.
)";

struct MakeOptions {
    std::string stubPath;
    std::string picturePath;
    std::string outputPath;
    std::string title;
    std::string workTitle;
    std::optional<std::string> comment;
    std::optional<std::string> commentFile;
    int32_t autoExitSeconds = 0;
    int32_t zOrderMode = 1;
    int32_t startPosition = 3;
    int32_t captionMode = 0;
    int32_t autoCommentFlag = 0;
    std::optional<std::string> linkTarget;
    std::optional<std::string> linkParameters;
    std::optional<int32_t> linkTiming;
    std::vector<std::string> enclosePaths;
    bool force = false;
};

struct NamedValue {
    const char* name;
    int32_t value;
};
constexpr NamedValue zOrderModes[] = {{"normal", 1}, {"top", 2}, {"bottom", 3}};
constexpr NamedValue startPositions[] = {{"top-left", 1},    {"top-right", 2},    {"centre", 3},
                                         {"center", 3},      {"bottom-left", 4}, {"bottom-right", 5}};
constexpr NamedValue linkTimings[] = {{"start", 1}, {"close", 2}};

template <size_t N>
bool lookUp(const NamedValue (&table)[N], const std::string& name, int32_t& value) {
    for (const auto& entry : table) {
        if (name == entry.name) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

bool parseSeconds(const std::string& text, int32_t& seconds) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < 0 || value > std::numeric_limits<int32_t>::max()) return false;
    seconds = int32_t(value);
    return true;
}

bool takesValue(const std::string& option) {
    static constexpr const char* valueOptions[] = {
        "-o",     "--output",      "--stub",    "--title",       "--work-title", "--comment", "--comment-file",
        "--link", "--link-params", "--enclose", "--z-order",     "--position",   "--link-when", "--auto-exit",
    };
    for (const char* name : valueOptions) {
        if (option == name) return true;
    }
    return false;
}

bool parseFlag(const std::string& option, MakeOptions& options) {
    if (option == "--force") options.force = true;
    else if (option == "--no-caption") options.captionMode = -1;
    else if (option == "--auto-comment") options.autoCommentFlag = 1;
    else return false;
    return true;
}

// One option with its value; false with a usage problem.
bool parseOption(const std::string& option, Arguments& args, MakeOptions& options, std::string& problem) {
    if (parseFlag(option, options)) return true;
    std::string value;
    if (!takesValue(option)) {
        problem = "unknown option '" + option + "'";
        return false;
    }
    if (!args.takeValue(value)) {
        problem = option + " needs a value";
        return false;
    }
    const auto choice = [&](const auto& table, int32_t& target) {
        if (lookUp(table, value, target)) return true;
        problem = option + ": unknown value '" + value + "'";
        return false;
    };
    if (option == "-o" || option == "--output") options.outputPath = value;
    else if (option == "--stub") options.stubPath = value;
    else if (option == "--title") options.title = value;
    else if (option == "--work-title") options.workTitle = value;
    else if (option == "--comment") options.comment = value;
    else if (option == "--comment-file") options.commentFile = value;
    else if (option == "--link") options.linkTarget = value;
    else if (option == "--link-params") options.linkParameters = value;
    else if (option == "--enclose") options.enclosePaths.push_back(value);
    else if (option == "--z-order") return choice(zOrderModes, options.zOrderMode);
    else if (option == "--position") return choice(startPositions, options.startPosition);
    else if (option == "--link-when") return choice(linkTimings, options.linkTiming.emplace());
    else if (!parseSeconds(value, options.autoExitSeconds)) {
        problem = "--auto-exit: '" + value + "' is not a number of seconds from 0 to 2147483647";
        return false;
    }
    return true;
}

bool parseMakeArguments(int argc, char** argv, MakeOptions& options, std::string& problem) {
    Arguments args(argc, argv);
    while (!args.done()) {
        const std::string arg(args.take());
        if (arg.size() > 1 && arg[0] == '-') {
            if (!parseOption(arg, args, options, problem)) return false;
        } else if (options.picturePath.empty()) {
            options.picturePath = arg;
        } else {
            problem = "more than one picture given ('" + options.picturePath + "' and '" + arg + "')";
            return false;
        }
    }
    if (options.picturePath.empty()) problem = "no picture given";
    else if (options.outputPath.empty()) problem = "no output given (-o OUT.exe)";
    else if (options.comment && options.commentFile) problem = "--comment and --comment-file exclude each other";
    else if (!options.linkTarget && (options.linkParameters || options.linkTiming))
        problem = "--link-params and --link-when need --link";
    return problem.empty();
}

// The stub beside the tool, as an installed tool finds it; else the Windows build's output.
std::string defaultStubPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto beside = self.parent_path() / "vistello.exe";
        if (std::filesystem::is_regular_file(beside, error)) return beside.string();
    }
    return VISTELLO_DEFAULT_STUB;
}

// Lone LF line breaks become CR LF, the break the comment dialog shows.
std::string withCrLf(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result.push_back('\r');
        result.push_back(text[i]);
    }
    return result;
}

bool encodeText(const char* option, const std::string& utf8, std::string& cp932, std::string& problem) {
    if (utf8.find('\0') != std::string::npos) {
        problem = std::string(option) + ": the text contains a zero byte, which would end it early";
        return false;
    }
    if (utf8ToCp932(utf8, cp932)) return true;
    problem = std::string(option) + ": the text cannot be written in code page 932 (or is not valid UTF-8)";
    return false;
}

bool loadComment(const MakeOptions& options, std::string& comment, std::string& problem) {
    if (options.comment) return encodeText("--comment", withCrLf(*options.comment), comment, problem);
    if (!options.commentFile) return true;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(*options.commentFile, bytes, problem)) return false;
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return encodeText("--comment-file", withCrLf(text), comment, problem);
}

bool loadEnclosedFiles(const MakeOptions& options, std::vector<EnclosedFile>& files, std::string& problem) {
    std::set<std::string> names;
    for (const auto& path : options.enclosePaths) {
        EnclosedFile file;
        const std::string baseName = std::filesystem::path(path).filename().string();
        if (!encodeText("--enclose", baseName, file.name, problem)) return false;
        if (!isSafeEnclosedName(file.name)) {
            problem = "--enclose " + path + ": '" + baseName + "' cannot be a file name beside the program";
            return false;
        }
        if (!names.insert(file.name).second) {
            problem = "--enclose: two files are named '" + baseName + "'; the second would replace the first";
            return false;
        }
        if (!readWholeFile(path, file.contents, problem)) return false;
        files.push_back(std::move(file));
    }
    return true;
}

bool buildContent(const MakeOptions& options, PackageContent& content, std::string& problem) {
    if (!encodeText("--title", options.title, content.windowTitle, problem)) return false;
    if (!encodeText("--work-title", options.workTitle, content.workTitle, problem)) return false;
    if (!loadComment(options, content.commentText, problem)) return false;
    content.autoExitSeconds = options.autoExitSeconds;
    content.zOrderMode = options.zOrderMode;
    content.startPosition = options.startPosition;
    content.captionMode = options.captionMode;
    content.autoCommentFlag = options.autoCommentFlag;
    if (options.linkTarget) {
        auto& link = content.link.emplace();
        link.timing = options.linkTiming.value_or(1);
        if (!encodeText("--link", *options.linkTarget, link.target, problem)) return false;
        if (!encodeText("--link-params", options.linkParameters.value_or(""), link.parameters, problem)) return false;
    }
    if (!options.enclosePaths.empty() && !loadEnclosedFiles(options, content.enclosedFiles.emplace(), problem))
        return false;
    if (!readWholeFile(options.picturePath, content.picture, problem)) return false;
    if (options.force || checkPicture(content.picture, problem)) return true;
    problem = options.picturePath + ": " + problem + " (--force packs it anyway)";
    return false;
}

}  // namespace
}  // namespace vistello::tools

int runMake(int argc, char** argv) {
    using namespace vistello;
    using namespace vistello::tools;
    if (wantsHelp(argc, argv)) {
        std::fputs(makeHelp, stdout);
        return exitSuccess;
    }
    MakeOptions options;
    std::string problem;
    if (!parseMakeArguments(argc, argv, options, problem)) return usageError(command, problem);

    PackageContent content;
    if (!buildContent(options, content, problem)) return inputError(command, problem);

    const std::string stubPath = options.stubPath.empty() ? defaultStubPath() : options.stubPath;
    std::vector<uint8_t> stub;
    if (!readWholeFile(stubPath, stub, problem)) {
        if (options.stubPath.empty()) problem += " (build the Windows program or give --stub PATH)";
        return inputError(command, problem);
    }
    if (!checkStub(stub, problem)) return inputError(command, stubPath + ": " + problem);

    std::vector<uint8_t> package;
    const char* writeProblem = nullptr;
    if (!writePackage(content, package, writeProblem)) return inputError(command, writeProblem);
    const std::span<const uint8_t> parts[] = {stub, package};
    if (!writeWholeFile(options.outputPath, parts, problem)) return inputError(command, problem);
    std::printf("wrote %s: stub %zu bytes + package %zu bytes (picture %zu bytes, %zu enclosed files)\n",
                options.outputPath.c_str(), stub.size(), package.size(), content.picture.size(),
                content.enclosedFiles ? content.enclosedFiles->size() : size_t(0));
    return exitSuccess;
}
