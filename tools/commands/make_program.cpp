#include "commands/make_program.h"

#include <set>

#include "app/enclosed_name.h"
#include "commands/run_files.h"
#include "commands/stub_choice.h"
#include "encode/exif_orientation.h"
#include "program/package_view.h"
#include "program/program_file.h"
#include "program/program_writer.h"
#include "text/author_text.h"
#include "text/display_text.h"
#include "text/program_path.h"
#include "text/windows_names.h"

namespace vistello::tools {
namespace {

constexpr uint64_t maxCommentFileBytes = uint64_t(1) << 20;

// One make: the recipe, the files it opened and what it has stored so far.
struct MakeRun {
    explicit MakeRun(const MakeRecipe& given) : recipe(given), content(given.content) {
        content.picture.clear();
        content.enclosedFiles.reset();
    }

    const MakeRecipe& recipe;
    PackageContent content;  // as stored: texts in code page 932
    std::vector<std::pair<std::string, MappedCharacter>> mapped;  // option and mapping, for the notes
    RunInput picture;
    RunInput stub;
    RunInput commentFile;
    std::vector<RunInput> enclosed;
};

// ---- texts ---------------------------------------------------------------------------------

bool storeText(MakeRun& run, const std::string& option, const std::string& utf8, TextShape shape, std::string& stored,
               std::string& problem, const std::string& file = {}) {
    StoredText text;
    if (!storeAuthorText(utf8, shape, {option, displayUtf8(file)}, text, problem)) return false;
    for (const auto& mapping : text.mapped) run.mapped.emplace_back(option, mapping);
    stored = std::move(text.cp932);
    return true;
}

bool loadComment(ToolContext& tool, MakeRun& run, std::string& problem) {
    if (!run.recipe.commentFilePath) return storeText(run, "--comment", run.recipe.content.commentText, TextShape::lines, run.content.commentText, problem);
    const std::string& path = *run.recipe.commentFilePath;
    if (!openRunInput(tool.files, "the comment file", path, maxCommentFileBytes, "the 1 MiB a comment file may hold",
                      run.commentFile, problem))
        return false;
    std::vector<uint8_t> bytes;
    if (!readWholeInput(*run.commentFile.file, bytes, path, problem)) return false;
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return storeText(run, "--comment-file", text, TextShape::lines, run.content.commentText, problem, path);
}

bool storeTexts(ToolContext& tool, MakeRun& run, std::string& problem) {
    const PackageContent& given = run.recipe.content;
    if (!storeText(run, "--title", given.windowTitle, TextShape::oneLine, run.content.windowTitle, problem)) return false;
    if (!storeText(run, "--work-title", given.workTitle, TextShape::oneLine, run.content.workTitle, problem)) return false;
    if (!loadComment(tool, run, problem)) return false;
    if (!given.link) return true;
    return storeText(run, "--link", given.link->target, TextShape::oneLine, run.content.link->target, problem) &&
           storeText(run, "--link-params", given.link->parameters, TextShape::oneLine, run.content.link->parameters, problem);
}

// ---- inputs --------------------------------------------------------------------------------

bool openTheStub(ToolContext& tool, MakeRun& run, std::string& problem) {
    return openStub(tool, run.recipe.stubPath ? &*run.recipe.stubPath : nullptr, run.stub, problem);
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
    const auto& paths = run.recipe.enclosedPaths;
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

bool wantsFit(const FitChoice& fit) { return fit.upright || !(fit.box == PictureSize{0, 0}); }

FitRequest fitRequestFor(const FitChoice& fit, std::span<const uint8_t> picture) {
    FitRequest request;
    request.box = fit.box;
    request.quality = fit.quality;
    request.orientation = fit.upright ? readExifOrientation(picture) : int32_t(Orientation::upright);
    return request;
}

// Replaces the picture with our re-encoding of what the program shows of it, when the recipe's
// fit changes it; the report is then the check of the new picture. A picture already upright
// and inside the box is known from its size alone and is not decoded again.
bool fitThePicture(MakeRun& run, MakeOutcome& outcome, std::vector<std::string>& carried, std::string& problem) {
    const FitChoice& fit = run.recipe.fit;
    if (!wantsFit(fit)) return true;
    const std::string shown = displayUtf8(run.recipe.picturePath);
    const FitRequest request = fitRequestFor(fit, run.content.picture);
    if (const std::string wrong = checkFitRequest(request); !wrong.empty()) {
        problem = shown + ": cannot be fitted: " + wrong;
        return false;
    }
    const PictureReport& original = outcome.picture;
    if (original.width > 0 && original.height > 0 &&
        !planFit({original.width, original.height}, request).changesPicture())
        return true;
    FitResult fitted = fitPicture(run.content.picture, request);
    if (fitted.outcome == FitOutcome::failed) {
        problem = shown + ": cannot be fitted: " + fitted.problem;
        return false;
    }
    if (fitted.outcome == FitOutcome::unchanged) return true;
    carried = original.colourWarnings;
    if (!original.shownWhole)
        carried.push_back("the program would not show it whole (" + original.refusal +
                          "), so the picture fitted from it holds what the program shows of it: " + original.shows);
    outcome.originalPictureBytes = run.content.picture.size();
    run.content.picture = std::move(fitted.jpeg);
    outcome.refitted = true;
    outcome.fitPlan = fitted.plan;
    outcome.picture = checkPicture(run.content.picture, {run.content.captionMode, run.content.startPosition});
    return true;
}

bool checkThePicture(MakeRun& run, MakeOutcome& outcome, std::string& problem) {
    const std::string& path = run.recipe.picturePath;
    if (!readWholeInput(*run.picture.file, run.content.picture, path, problem)) return false;
    outcome.picture = checkPicture(run.content.picture, {run.content.captionMode, run.content.startPosition});
    const PictureReport& report = outcome.picture;
    if (!report.shownWhole && !run.recipe.force) {
        problem = displayUtf8(path) + ": the program would not show this picture whole: " + report.refusal +
                  "; it would show " + report.shows + " (--force packs it anyway)";
        return false;
    }
    std::vector<std::string> carried;
    if (!fitThePicture(run, outcome, carried, problem)) return false;
    outcome.checked = true;
    outcome.warnings = std::move(carried);
    outcome.warnings.insert(outcome.warnings.end(), outcome.picture.warnings.begin(), outcome.picture.warnings.end());
    for (const auto& [option, mapping] : run.mapped) outcome.notes.push_back(option + ": " + describeMapping(mapping));
    return true;
}

bool writeOutput(ToolContext& tool, MakeRun& run, MakeOutcome& outcome, std::string& problem) {
    std::vector<EnclosedInput> files;
    if (run.content.enclosedFiles) {
        for (size_t i = 0; i < run.enclosed.size(); ++i)
            files.push_back({(*run.content.enclosedFiles)[i].name, run.enclosed[i].file.get()});
    }
    auto output = tool.files.createOutput(run.recipe.outputPath, problem);
    if (!output || !writeProgram(*output, *run.stub.file, run.content, files, outcome.packageBytes, problem) ||
        !output->finish(problem) || !commitOutput(*output, run.recipe.noClobber, problem))
        return false;
    outcome.stubBytes = run.stub.file->size();
    outcome.pictureBytes = run.content.picture.size();
    outcome.enclosedFiles = run.enclosed.size();
    outcome.outputPathProblem = programPathProblem(tool.files.fullPath(run.recipe.outputPath));
    return true;
}

bool make(ToolContext& tool, MakeRun& run, MakeOutcome& outcome, std::string& problem) {
    if (!storeTexts(tool, run, problem)) return false;
    if (!openRunInput(tool.files, "the picture", run.recipe.picturePath, maxItemBytes,
                      "the 2147483647 bytes a package holds", run.picture, problem) ||
        !openTheStub(tool, run, problem) || !openEnclosed(tool, run, problem))
        return false;
    const auto inputs = allInputs(run);
    const std::string& output = run.recipe.outputPath;
    return targetAllowed(tool.files.examineTarget(output), output, inputs, run.recipe.noClobber, problem) &&
           checkThePicture(run, outcome, problem) && writeOutput(tool, run, outcome, problem);
}

}  // namespace

std::string describeFit(const FitPlan& plan) {
    const auto size = [](PictureSize s) { return std::to_string(s.width) + " x " + std::to_string(s.height); };
    const std::string turned = "turned upright (Exif orientation " + std::to_string(int32_t(plan.orientation)) + ")";
    if (!plan.scales()) return turned + ": " + size(plan.output);
    const std::string fitted = "fitted " + size(plan.upright) + " to " + size(plan.output);
    return plan.turns() ? turned + " and " + fitted : fitted;
}

bool makeProgram(ToolContext& tool, const MakeRecipe& recipe, MakeOutcome& outcome) {
    outcome = MakeOutcome();
    MakeRun run(recipe);
    return make(tool, run, outcome, outcome.problem);
}

}  // namespace vistello::tools
