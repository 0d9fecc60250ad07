// vistello-pack make: a picture program from a stub, a picture and the package settings.
#include <charconv>
#include <limits>
#include <set>

#include "app/enclosed_name.h"
#include "check/picture_check.h"
#include "commands/command_line.h"
#include "commands/report.h"
#include "commands/run_files.h"
#include "commands/stub_choice.h"
#include "program/package_view.h"
#include "program/program_file.h"
#include "program/program_writer.h"
#include "text/author_text.h"
#include "text/display_text.h"
#include "text/program_path.h"
#include "text/windows_names.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "make";
constexpr uint64_t maxCommentFileBytes = uint64_t(1) << 20;

constexpr char makeHelp[] = R"(Usage: vistello-pack make [OPTIONS] PICTURE -o OUT.exe

Makes a picture program: a copy of the program stub with a package appended that holds
PICTURE (a JPEG or BMP file) and the settings below. Texts are given in UTF-8 and stored in
code page 932 as a Japanese Windows shows them: 〜 ‖ − — ¢ £ ¬ become the code page's own
forms of the same characters and ¥ the byte 5C (make notes each); a character the code page
cannot hold is an error that names it and where it stands.

  -o, --output OUT.exe      the picture program to write. An existing file is replaced only
                            once the new one is complete; never a read-only file, never one
                            of the inputs
  --stub PATH               the program stub (default: vistello-pack.exe's own, built in;
                            elsewhere vistello.exe beside the tool, else the installed
                            ../share/vistello/vistello.exe from the tool's folder)
  --title TEXT              window title (default: empty); one line
  --work-title TEXT         name of the work, shown first in the comment dialog; one line
  --comment TEXT            the author's comment; line breaks are stored as CR LF
  --comment-file PATH       the comment from a UTF-8 text file of at most 1 MiB (a byte
                            order mark and trailing line breaks are dropped)
  --auto-exit SECONDS       close the window after SECONDS (default 0: never)
  --z-order MODE            normal (default), top or bottom
  --position PLACE          top-left, top-right, centre (default), bottom-left, bottom-right
  --no-caption              show the picture without a title bar
  --auto-comment            open the comment dialog by itself at start
  --link TARGET             a file, program, folder or web address handed to the shell;
                            a leading "*" stands for the program's folder ("*\readme.txt")
  --link-params TEXT        parameters handed to the shell with the link target
  --link-when WHEN          start (default: when the window is up) or close
  --enclose FILE            enclose FILE under its own name (repeatable, at most 10000);
                            the names must be ones Windows can create, and differ in more
                            than letter case
  --force                   pack a picture the program would not show whole
  --quiet                   leave out warnings and notes
  --no-clobber              refuse to replace an existing OUT.exe
  -h, --help                show this help

Before packing, make decodes PICTURE with the program's own decoders. It refuses a picture
the program would not show whole, with the reason and what the program would show, and warns
where the program shows a picture otherwise than a viewer does: a JPEG coded in RGB, an Exif
orientation, BMP bit fields other than 5-5-5, a window that does not fit a 1920 x 1080 screen.

Inputs are regular files (no pipes or devices); the picture, the stub and each enclosed file
may be at most 2147483647 bytes, what the package format holds.

Exit status: 0 written, 1 bad input (an unreadable or unusable file, a text or name that
cannot be stored, a refused picture, an output that may not be replaced), 2 usage error.
)";

constexpr OptionSpec makeOptions[] = {
    {"--output", OptionKind::value, "-o"},  {"--stub", OptionKind::value, ""},
    {"--title", OptionKind::value, ""},     {"--work-title", OptionKind::value, ""},
    {"--comment", OptionKind::value, ""},   {"--comment-file", OptionKind::value, ""},
    {"--auto-exit", OptionKind::value, ""}, {"--z-order", OptionKind::value, ""},
    {"--position", OptionKind::value, ""},  {"--no-caption", OptionKind::flag, ""},
    {"--auto-comment", OptionKind::flag, ""}, {"--link", OptionKind::value, ""},
    {"--link-params", OptionKind::value, ""}, {"--link-when", OptionKind::value, ""},
    {"--enclose", OptionKind::repeated, ""}, {"--force", OptionKind::flag, ""},
    {"--quiet", OptionKind::flag, ""},      {"--no-clobber", OptionKind::flag, ""},
};

struct MakeRun {
    ParsedArguments arguments;
    std::string picturePath;
    std::string outputPath;
    bool quiet = false;
    PackageContent content;
    std::vector<std::pair<std::string, MappedCharacter>> mapped;  // option and mapping, for the notes
    RunInput picture;
    RunInput stub;
    RunInput commentFile;
    std::vector<RunInput> enclosed;
};

// ---- arguments -----------------------------------------------------------------------------

bool parseSeconds(const std::string& text, int32_t& seconds) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < 0 || value > std::numeric_limits<int32_t>::max()) return false;
    seconds = int32_t(value);
    return true;
}

bool readSettings(const ParsedArguments& arguments, PackageContent& content, std::string& problem) {
    content.zOrderMode = storedCode(ZOrderMode::normal);
    content.startPosition = storedCode(StartPosition::centre);
    content.captionMode = arguments.has("--no-caption") ? captionModeNoTitleBar : captionModeTitleBar;
    content.autoCommentFlag = arguments.has("--auto-comment") ? autoCommentOn : autoCommentOff;
    if (const auto* seconds = arguments.value("--auto-exit"); seconds && !parseSeconds(*seconds, content.autoExitSeconds)) {
        problem = "--auto-exit: '" + *seconds + "' is not a number of seconds from 0 to 2147483647";
        return false;
    }
    if (const auto* word = arguments.value("--z-order"); word && !chooseCode("--z-order", *word, zOrderNames, content.zOrderMode, problem))
        return false;
    if (const auto* word = arguments.value("--position");
        word && !chooseCode("--position", *word, startPositionNames, content.startPosition, problem))
        return false;
    if (!arguments.has("--link")) return true;
    auto& link = content.link.emplace();
    link.timing = storedCode(LinkTiming::atStart);
    const auto* word = arguments.value("--link-when");
    return !word || chooseCode("--link-when", *word, linkTimingNames, link.timing, problem);
}

bool readArguments(std::span<const std::string> arguments, MakeRun& run, std::string& problem) {
    if (!parseArguments(arguments, makeOptions, run.arguments, problem)) return false;
    const ParsedArguments& a = run.arguments;
    if (a.help) return true;
    if (a.positional.size() > 1) problem = "more than one picture given ('" + a.positional[0] + "' and '" + a.positional[1] + "')";
    else if (a.positional.empty()) problem = "no picture given";
    else if (!a.has("--output")) problem = "no output given (-o OUT.exe)";
    else if (a.has("--comment") && a.has("--comment-file")) problem = "--comment and --comment-file exclude each other";
    else if (!a.has("--link") && (a.has("--link-params") || a.has("--link-when"))) problem = "--link-params and --link-when need --link";
    if (!problem.empty()) return false;
    run.picturePath = a.positional[0];
    run.outputPath = *a.value("--output");
    run.quiet = a.has("--quiet");
    return readSettings(a, run.content, problem);
}

// ---- texts ---------------------------------------------------------------------------------

bool storeText(MakeRun& run, const std::string& option, const std::string& utf8, TextShape shape, std::string& stored,
               std::string& problem, const std::string& file = {}) {
    StoredText text;
    if (!storeAuthorText(utf8, shape, {option, displayUtf8(file)}, text, problem)) return false;
    for (const auto& mapping : text.mapped) run.mapped.emplace_back(option, mapping);
    stored = std::move(text.cp932);
    return true;
}

bool storeOption(MakeRun& run, const char* option, TextShape shape, std::string& stored, std::string& problem) {
    const std::string* value = run.arguments.value(option);
    return !value || storeText(run, option, *value, shape, stored, problem);
}

bool loadComment(ToolContext& tool, MakeRun& run, std::string& problem) {
    const std::string* path = run.arguments.value("--comment-file");
    if (!path) return storeOption(run, "--comment", TextShape::lines, run.content.commentText, problem);
    if (!openRunInput(tool.files, "the comment file", *path, maxCommentFileBytes, "the 1 MiB a comment file may hold",
                      run.commentFile, problem))
        return false;
    std::vector<uint8_t> bytes;
    if (!readWholeInput(*run.commentFile.file, bytes, *path, problem)) return false;
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return storeText(run, "--comment-file", text, TextShape::lines, run.content.commentText, problem, *path);
}

bool storeTexts(ToolContext& tool, MakeRun& run, std::string& problem) {
    if (!storeOption(run, "--title", TextShape::oneLine, run.content.windowTitle, problem)) return false;
    if (!storeOption(run, "--work-title", TextShape::oneLine, run.content.workTitle, problem)) return false;
    if (!loadComment(tool, run, problem)) return false;
    if (!run.content.link) return true;
    return storeOption(run, "--link", TextShape::oneLine, run.content.link->target, problem) &&
           storeOption(run, "--link-params", TextShape::oneLine, run.content.link->parameters, problem);
}

// ---- inputs --------------------------------------------------------------------------------

bool openTheStub(ToolContext& tool, MakeRun& run, std::string& problem) {
    return openStub(tool, run.arguments.value("--stub"), run.stub, problem);
}

// An enclosed file's stored name: its own name, in code page 932, as Windows takes file names.
bool enclosedName(ToolContext& tool, MakeRun& run, const std::string& path, std::set<std::string>& keys,
                  std::string& name, std::string& problem) {
    const std::string base = tool.files.fileName(path);
    if (!storeText(run, "--enclose", base, TextShape::oneLine, name, problem)) return false;
    const std::string shown = "--enclose " + displayUtf8(path) + ": the name '" + displayUtf8(base) + "' ";
    if (const std::string rule = windowsNameProblem(name); !rule.empty() || !isSafeEnclosedName(name)) {
        problem = shown + (rule.empty() ? "would leave the program's folder" : rule);
        return false;
    }
    if (!keys.insert(windowsComparisonKey(name)).second) {
        problem = shown + "differs from another enclosed file's only in letter case (or not at all); on Windows the "
                          "second would replace the first";
        return false;
    }
    return true;
}

bool openEnclosed(ToolContext& tool, MakeRun& run, std::string& problem) {
    const auto& paths = run.arguments.values("--enclose");
    if (paths.empty()) return true;
    if (paths.size() > maxEnclosedFiles) {
        problem = "--enclose is given " + std::to_string(paths.size()) + " times; at most " +
                  std::to_string(maxEnclosedFiles) + " files can be enclosed";
        return false;
    }
    auto& entries = run.content.enclosedFiles.emplace();
    std::set<std::string> keys;
    for (const auto& path : paths) {
        EnclosedFile entry;
        if (!enclosedName(tool, run, path, keys, entry.name, problem)) return false;
        RunInput& input = run.enclosed.emplace_back();
        if (!openRunInput(tool.files, "the enclosed file", path, maxItemBytes, "the 2147483647 bytes a package holds",
                          input, problem))
            return false;
        entries.push_back(std::move(entry));
    }
    return true;
}

std::vector<const RunInput*> allInputs(const MakeRun& run) {
    std::vector<const RunInput*> inputs = {&run.picture, &run.stub, &run.commentFile};
    for (const auto& input : run.enclosed) inputs.push_back(&input);
    return inputs;
}

// ---- the picture check, and writing -----------------------------------------------------------

bool checkThePicture(ToolContext& tool, MakeRun& run, std::string& problem) {
    if (!readWholeInput(*run.picture.file, run.content.picture, run.picturePath, problem)) return false;
    const PictureReport report = checkPicture(run.content.picture, {run.content.captionMode, run.content.startPosition});
    const std::string shown = displayUtf8(run.picturePath);
    if (!report.shownWhole) {
        if (!run.arguments.has("--force")) {
            problem = shown + ": the program would not show this picture whole: " + report.refusal +
                      "; it would show " + report.shows + " (--force packs it anyway)";
            return false;
        }
        remark(tool, command, "warning", shown + " is packed anyway (--force): " + report.refusal + "; the program will show " + report.shows);
    }
    if (run.quiet) return true;
    for (const auto& warning : report.warnings) remark(tool, command, "warning", shown + ": " + warning);
    for (const auto& [option, mapping] : run.mapped) remark(tool, command, "note", option + ": " + describeMapping(mapping));
    return true;
}

bool writeOutput(ToolContext& tool, MakeRun& run, uint64_t& packageBytes, std::string& problem) {
    std::vector<EnclosedInput> files;
    if (run.content.enclosedFiles) {
        for (size_t i = 0; i < run.enclosed.size(); ++i)
            files.push_back({(*run.content.enclosedFiles)[i].name, run.enclosed[i].file.get()});
    }
    auto output = tool.files.createOutput(run.outputPath, problem);
    return output && writeProgram(*output, *run.stub.file, run.content, files, packageBytes, problem) &&
           output->finish(problem) && commitOutput(*output, run.arguments.has("--no-clobber"), problem);
}

int make(ToolContext& tool, MakeRun& run) {
    std::string problem;
    if (!storeTexts(tool, run, problem)) return inputError(tool, command, problem);
    if (!openRunInput(tool.files, "the picture", run.picturePath, maxItemBytes, "the 2147483647 bytes a package holds",
                      run.picture, problem) ||
        !openTheStub(tool, run, problem) || !openEnclosed(tool, run, problem))
        return inputError(tool, command, problem);
    const auto inputs = allInputs(run);
    if (!targetAllowed(tool.files.examineTarget(run.outputPath), run.outputPath, inputs, run.arguments.has("--no-clobber"), problem))
        return inputError(tool, command, problem);
    if (!checkThePicture(tool, run, problem)) return inputError(tool, command, problem);
    uint64_t packageBytes = 0;
    if (!writeOutput(tool, run, packageBytes, problem)) return inputError(tool, command, problem);
    if (const std::string where = programPathProblem(tool.files.fullPath(run.outputPath)); !where.empty() && !run.quiet)
        remark(tool, command, "warning", displayUtf8(run.outputPath) + ": " + where);
    tool.console.out("wrote " + displayUtf8(run.outputPath) + ": stub " + std::to_string(run.stub.file->size()) +
                     " bytes + package " + std::to_string(packageBytes) + " bytes (picture " +
                     std::to_string(run.content.picture.size()) + " bytes, " + std::to_string(run.enclosed.size()) +
                     " enclosed files)\n");
    return exitSuccess;
}

}  // namespace

int runMake(std::span<const std::string> arguments, ToolContext& tool) {
    MakeRun run;
    std::string problem;
    if (!readArguments(arguments, run, problem)) return usageError(tool, command, problem);
    if (run.arguments.help) {
        tool.console.out(makeHelp);
        return exitSuccess;
    }
    return make(tool, run);
}

}  // namespace vistello::tools
