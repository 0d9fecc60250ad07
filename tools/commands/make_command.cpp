// vistello-pack make: a picture program from a stub, a picture and the package settings.
#include <charconv>
#include <limits>
#include <optional>

#include "commands/command_line.h"
#include "commands/make_program.h"
#include "commands/make_values.h"
#include "commands/report.h"
#include "encode/jpeg_encoder.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "make";

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
  --fit WxH|screen          scale the picture down (never up), keeping its aspect ratio,
                            until it fits inside W x H pixels, and pack it re-encoded as a
                            baseline JPEG; "screen" is 1600 x 900, a picture whose window
                            (frame and title bar) fits a 1920 x 1080 screen above its taskbar
                            with room to move it. A JPEG's Exif orientation is applied too
                            (the packed JPEG carries none). A picture already inside the box
                            and upright is packed as it is, byte for byte
  --keep-orientation        with --fit: leave the pixels turned as stored
  --upright                 apply a JPEG's Exif orientation to its pixels, without scaling
  --quality Q               the JPEG quality of a picture re-encoded by --fit or --upright,
                            1 to 100 (default 90)
  --force                   pack a picture the program would not show whole
  --quiet                   leave out warnings and notes
  --no-clobber              refuse to replace an existing OUT.exe
  -h, --help                show this help

The picture file itself is only read: --fit and --upright pack a new picture made from it.

Before packing, make decodes PICTURE with the program's own decoders. It refuses a picture
the program would not show whole, with the reason and what the program would show, and warns
where the program shows a picture otherwise than a viewer does: a JPEG coded in RGB, an Exif
orientation, BMP bit fields other than 5-5-5, a window that does not fit a 1920 x 1080 screen.
With --fit or --upright it checks the picture it packs, the re-encoded one.

Inputs are regular files (no pipes or devices); the picture, the stub and each enclosed file
may be at most 2147483647 bytes, what the package format holds.

Exit status: 0 written, 1 bad input (an unreadable or unusable file, a text or name that
cannot be stored, a refused picture, an output that may not be replaced), 2 usage error.
)";

constexpr OptionRule makeOptions[] = {
    {"--output", OptionKind::value, "-o"},  {"--stub", OptionKind::value, ""},
    {"--title", OptionKind::value, ""},     {"--work-title", OptionKind::value, ""},
    {"--comment", OptionKind::value, ""},   {"--comment-file", OptionKind::value, ""},
    {"--auto-exit", OptionKind::value, ""}, {"--z-order", OptionKind::value, ""},
    {"--position", OptionKind::value, ""},  {"--no-caption", OptionKind::flag, ""},
    {"--auto-comment", OptionKind::flag, ""}, {"--link", OptionKind::value, ""},
    {"--link-params", OptionKind::value, ""}, {"--link-when", OptionKind::value, ""},
    {"--enclose", OptionKind::repeated, ""}, {"--force", OptionKind::flag, ""},
    {"--quiet", OptionKind::flag, ""},      {"--no-clobber", OptionKind::flag, ""},
    {"--fit", OptionKind::value, ""},       {"--keep-orientation", OptionKind::flag, ""},
    {"--upright", OptionKind::flag, ""},    {"--quality", OptionKind::value, ""},
};

// ---- arguments -----------------------------------------------------------------------------

bool readFit(const ParsedArguments& a, FitChoice& fit, std::string& problem) {
    const bool fitting = a.has("--fit");
    if (a.has("--keep-orientation") && !fitting) problem = "--keep-orientation needs --fit";
    else if (a.has("--keep-orientation") && a.has("--upright")) problem = "--upright and --keep-orientation exclude each other";
    else if (a.has("--quality") && !fitting && !a.has("--upright"))
        problem = "--quality needs --fit or --upright (without them the picture is packed as it is, not re-encoded)";
    if (!problem.empty()) return false;
    if (const auto* box = a.value("--fit"); box && !parseFitBox(*box, fit.box)) {
        problem = fitBoxMessage(*box);
        return false;
    }
    if (const auto* quality = a.value("--quality");
        quality && !parseNumber(*quality, minimumJpegQuality, maximumJpegQuality, fit.quality)) {
        problem = "--quality: '" + *quality + "' is not a whole number from " + std::to_string(minimumJpegQuality) +
                  " to " + std::to_string(maximumJpegQuality);
        return false;
    }
    fit.upright = a.has("--upright") || (fitting && !a.has("--keep-orientation"));
    return true;
}

std::string textOption(const ParsedArguments& arguments, const char* option) {
    const std::string* value = arguments.value(option);
    return value ? *value : std::string();
}

std::optional<std::string> pathOption(const ParsedArguments& arguments, const char* option) {
    const std::string* value = arguments.value(option);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

bool readSettings(const ParsedArguments& arguments, PackageContent& content, std::string& problem) {
    content.zOrderMode = storedCode(ZOrderMode::normal);
    content.startPosition = storedCode(StartPosition::centre);
    content.captionMode = arguments.has("--no-caption") ? captionModeNoTitleBar : captionModeTitleBar;
    content.autoCommentFlag = arguments.has("--auto-comment") ? autoCommentOn : autoCommentOff;
    content.windowTitle = textOption(arguments, "--title");
    content.workTitle = textOption(arguments, "--work-title");
    content.commentText = textOption(arguments, "--comment");
    if (const auto* seconds = arguments.value("--auto-exit"); seconds && !parseSeconds(*seconds, content.autoExitSeconds)) {
        problem = secondsMessage(*seconds);
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
    link.target = textOption(arguments, "--link");
    link.parameters = textOption(arguments, "--link-params");
    const auto* word = arguments.value("--link-when");
    return !word || chooseCode("--link-when", *word, linkTimingNames, link.timing, problem);
}

bool readArguments(const ParsedArguments& a, MakeRecipe& recipe, std::string& problem) {
    if (a.positional.size() > 1) problem = "more than one picture given ('" + a.positional[0] + "' and '" + a.positional[1] + "')";
    else if (a.positional.empty()) problem = "no picture given";
    else if (!a.has("--output")) problem = "no output given (-o OUT.exe)";
    else if (a.has("--comment") && a.has("--comment-file")) problem = "--comment and --comment-file exclude each other";
    else if (!a.has("--link") && (a.has("--link-params") || a.has("--link-when"))) problem = "--link-params and --link-when need --link";
    if (!problem.empty()) return false;
    recipe.picturePath = a.positional[0];
    recipe.outputPath = *a.value("--output");
    recipe.stubPath = pathOption(a, "--stub");
    recipe.commentFilePath = pathOption(a, "--comment-file");
    recipe.enclosedPaths = a.values("--enclose");
    recipe.force = a.has("--force");
    recipe.noClobber = a.has("--no-clobber");
    return readFit(a, recipe.fit, problem) && readSettings(a, recipe.content, problem);
}

// ---- the outcome ---------------------------------------------------------------------------

void showRemarks(ToolContext& tool, const MakeRecipe& recipe, const MakeOutcome& outcome, bool quiet) {
    if (!outcome.checked) return;
    const std::string shown = displayUtf8(recipe.picturePath);
    const PictureReport& report = outcome.picture;
    if (!report.shownWhole)
        remark(tool, command, "warning", shown + " is packed anyway (--force): " + report.refusal + "; the program will show " + report.shows);
    if (quiet) return;
    for (const auto& warning : outcome.warnings) remark(tool, command, "warning", shown + ": " + warning);
    for (const auto& note : outcome.notes) remark(tool, command, "note", note);
}

// What --fit or --upright did to the picture, or that it was packed as it is.
void showFit(ToolContext& tool, const MakeRecipe& recipe, const MakeOutcome& outcome) {
    const FitChoice& fit = recipe.fit;
    const bool boxed = !(fit.box == PictureSize{0, 0});
    if (!boxed && !fit.upright) return;
    const std::string shown = displayUtf8(recipe.picturePath);
    if (outcome.refitted) {
        tool.console.out(shown + ": " + describeFit(outcome.fitPlan) + ", packed as a new JPEG of quality " +
                         std::to_string(fit.quality) + " (" + std::to_string(outcome.originalPictureBytes) +
                         " bytes became " + std::to_string(outcome.pictureBytes) + "; the file itself is unchanged)\n");
        return;
    }
    const std::string box = std::to_string(fit.box.width) + " x " + std::to_string(fit.box.height);
    tool.console.out(shown + ": already " + (boxed ? "inside " + box + (fit.upright ? " and upright" : "") : "upright") +
                     ", packed as it is\n");
}

int make(ToolContext& tool, const MakeRecipe& recipe, bool quiet) {
    MakeOutcome outcome;
    const bool made = makeProgram(tool, recipe, outcome);
    showRemarks(tool, recipe, outcome, quiet);
    if (!made) return inputError(tool, command, outcome.problem);
    showFit(tool, recipe, outcome);
    if (!quiet && !outcome.outputPathProblem.empty())
        remark(tool, command, "warning", displayUtf8(recipe.outputPath) + ": " + outcome.outputPathProblem);
    tool.console.out("wrote " + displayUtf8(recipe.outputPath) + ": stub " + std::to_string(outcome.stubBytes) +
                     " bytes + package " + std::to_string(outcome.packageBytes) + " bytes (picture " +
                     std::to_string(outcome.pictureBytes) + " bytes, " + std::to_string(outcome.enclosedFiles) +
                     " enclosed files)\n");
    return exitSuccess;
}

}  // namespace

int runMake(std::span<const std::string> arguments, ToolContext& tool) {
    ParsedArguments parsed;
    std::string problem;
    if (!parseArguments(arguments, makeOptions, parsed, problem)) return usageError(tool, command, problem);
    if (parsed.help) {
        tool.console.out(makeHelp);
        return exitSuccess;
    }
    MakeRecipe recipe;
    if (!readArguments(parsed, recipe, problem)) return usageError(tool, command, problem);
    return make(tool, recipe, parsed.has("--quiet"));
}

}  // namespace vistello::tools
