#include "win32/drop_mode.h"

#include <array>
#include <string_view>
#include <vector>

#include "commands/make_program.h"
#include "text/author_text.h"
#include "text/display_text.h"
#include "text/utf8.h"
#include "win32/message_box.h"

namespace vistello::tools::win32 {
namespace {

constexpr int mostNumberedNames = 9999;  // "name (9999).exe"
constexpr char madeHeading[] = "ピクチャープログラムを作りました。\nThe picture program is made:\n\n";
constexpr char refusedHeading[] = "ピクチャープログラムは作られませんでした。\nNo picture program was made:\n\n";
constexpr std::string_view titleOption = "--title: ";

bool startsLikeAPicture(const std::array<uint8_t, 2>& start) {
    return (start[0] == 0xFF && start[1] == 0xD8) || (start[0] == 'B' && start[1] == 'M');
}

// A bad drop: what was wrong, then how the tool is used.
int refuseDrop(const std::string& reason) {
    showMessageBox(reason + "\n\n" + howToUse(), BoxKind::error);
    return exitBadInput;
}

// The picture's name without its extension.
std::string stemOf(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// "name.exe" beside the picture, else "name (2).exe" and so on: the first name nothing has.
bool chooseProgramPath(ToolContext& tool, const std::string& picture, std::string& path, std::string& problem) {
    const std::string name = tool.files.fileName(picture);
    const std::string folder = picture.substr(0, picture.size() - name.size());
    const std::string stem = stemOf(name);
    for (int number = 1; number <= mostNumberedNames; ++number) {
        path = folder + stem + (number == 1 ? "" : " (" + std::to_string(number) + ")") + ".exe";
        if (tool.files.examineTarget(path).kind == TargetKind::absent) return true;
    }
    problem = "every name from " + displayUtf8(stem) + ".exe to " + displayUtf8(stem) + " (" +
              std::to_string(mostNumberedNames) + ").exe is taken beside the picture";
    return false;
}

// The window title: the picture's name without extension, each character code page 932
// cannot hold shown as "?" (and said so in notes).
std::string titleFrom(const std::string& stem, std::vector<std::string>& notes) {
    std::string title;
    for (size_t at = 0; at < stem.size();) {
        char32_t character = 0;
        size_t length = 0;
        const bool decoded = decodeUtf8At(stem, at, character, length);
        const std::string one = stem.substr(at, length);
        StoredText stored;
        std::string problem;
        if (decoded && storeAuthorText(one, TextShape::oneLine, {"--title", ""}, stored, problem)) {
            title += one;
        } else {
            title += '?';
            notes.push_back("note: the window title shows ? for '" + displayUtf8(one) + "'" +
                            (decoded ? " (" + codePointName(character) + ")" : "") + ", which code page 932 cannot hold");
        }
        at += length;
    }
    return title;
}

// What a dropped picture becomes: make's defaults but for the title, never over another file,
// and with its window on the screen: a picture larger than the screen box is scaled into it and
// a JPEG's Exif orientation applied, as make --fit screen does.
MakeRecipe dropRecipe(const std::string& picture, const std::string& program, const std::string& title) {
    MakeRecipe recipe;
    recipe.content.windowTitle = title;
    recipe.picturePath = picture;
    recipe.outputPath = program;
    recipe.noClobber = true;
    recipe.fit.box = screenFitBox;
    recipe.fit.upright = true;
    return recipe;
}

// What was done to the picture, when the packed one is our re-encoding of it.
std::string fitMessage(const MakeOutcome& outcome) {
    if (!outcome.refitted) return {};
    const FitPlan& plan = outcome.fitPlan;
    const auto size = [](PictureSize s) { return std::to_string(s.width) + " x " + std::to_string(s.height); };
    std::string japanese;
    if (plan.turns()) japanese = plan.scales() ? "Exif の向きに合わせて画像を回転し、" : "Exif の向きに合わせて画像を回転しました。";
    if (plan.scales())
        japanese += std::string(plan.turns() ? "" : "画像を") + "画面に収まるように縮小しました (" + size(plan.upright) +
                    " → " + size(plan.output) + ")。";
    return "\n\n" + japanese + "元の画像はそのままです。\nFor the screen: " + describeFit(plan) +
           ". The original picture stays as it was.";
}

// The check's warnings and notes, and where the program cannot start, one per line.
std::string remarksOf(const MakeRecipe& recipe, const MakeOutcome& outcome, const std::vector<std::string>& titleNotes) {
    std::string remarks;
    for (const auto& warning : outcome.warnings) remarks += "warning: " + displayUtf8(recipe.picturePath) + ": " + warning + "\n";
    if (!outcome.outputPathProblem.empty())
        remarks += "warning: " + displayUtf8(recipe.outputPath) + ": " + outcome.outputPathProblem + "\n";
    for (std::string note : outcome.notes) {
        if (note.starts_with(titleOption)) note.replace(0, titleOption.size(), "the window title: ");
        remarks += "note: " + note + "\n";
    }
    for (const auto& note : titleNotes) remarks += note + "\n";
    return remarks;
}

}  // namespace

bool isDrop(std::span<const std::string> arguments, ToolContext& tool) {
    return !arguments.empty() && !isToolWord(arguments[0]) &&
           tool.files.examineTarget(arguments[0]).kind != TargetKind::absent;
}

int runDrop(std::span<const std::string> arguments, ToolContext& tool) {
    if (arguments.size() != 1) {
        return refuseDrop(std::to_string(arguments.size()) + " 個のファイルがドロップされました。画像は 1 つずつドロップしてください。\n" +
                          std::to_string(arguments.size()) + " files were dropped: drop one picture at a time.");
    }
    const std::string& picture = arguments[0];
    std::string problem;
    std::array<uint8_t, 2> start{};
    {
        const auto file = tool.files.openInput(picture, problem);
        if (!file) return refuseDrop("画像として読めません。\nThis is no picture: " + problem);
        if (file->size() < start.size() || !file->readAt(0, start, problem) || !startsLikeAPicture(start))
            return refuseDrop("JPEG でも BMP でもありません。\n" + displayUtf8(picture) + " is not a JPEG or BMP picture.");
    }
    std::string program;
    if (!chooseProgramPath(tool, picture, program, problem)) {
        showMessageBox(refusedHeading + problem, BoxKind::error);
        return exitBadInput;
    }
    std::vector<std::string> notes;
    const std::string title = titleFrom(stemOf(tool.files.fileName(picture)), notes);

    const MakeRecipe recipe = dropRecipe(picture, program, title);
    MakeOutcome outcome;
    if (!makeProgram(tool, recipe, outcome)) {
        showMessageBox(refusedHeading + outcome.problem + "\n\n" + remarksOf(recipe, outcome, notes), BoxKind::error);
        return exitBadInput;
    }
    const std::string remarks = remarksOf(recipe, outcome, notes);
    const bool warned = !outcome.warnings.empty() || !outcome.outputPathProblem.empty();
    showMessageBox(madeHeading + displayUtf8(tool.files.fullPath(program)) + fitMessage(outcome) +
                       (remarks.empty() ? "" : "\n\n" + remarks),
                   warned ? BoxKind::warning : BoxKind::information);
    return exitSuccess;
}

std::string howToUse() {
    return "vistello-pack はピクチャープログラムを作ります。\n"
           "JPEG か BMP の画像を 1 つ、vistello-pack.exe のアイコンにドロップしてください。画像と同じフォルダーに、"
           "同じ名前の .exe ができます (その名前が使われていれば「名前 (2).exe」)。\n"
           "すべての設定はコンソールから: vistello-pack.exe --help\n\n"
           "vistello-pack makes picture programs. Drop one JPEG or BMP picture on the icon of vistello-pack.exe: a "
           "picture program of the same name (.exe) is made beside the picture (\"name (2).exe\" when that name is "
           "taken).\nEvery setting is open from a console: vistello-pack.exe --help";
}

}  // namespace vistello::tools::win32
