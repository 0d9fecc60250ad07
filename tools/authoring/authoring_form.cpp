#include "authoring/authoring_form.h"

#include <set>

#include "commands/enclosed_names.h"
#include "commands/make_values.h"
#include "program/package_view.h"
#include "text/author_text.h"
#include "text/display_text.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

TextShape shapeOf(FormText field) { return field == FormText::comment ? TextShape::lines : TextShape::oneLine; }

}  // namespace

const char* optionOf(FormText field) {
    switch (field) {
    case FormText::windowTitle: return "--title";
    case FormText::workTitle: return "--work-title";
    case FormText::comment: return "--comment";
    case FormText::linkTarget: return "--link";
    case FormText::linkParameters: return "--link-params";
    }
    return "";
}

const std::string& textOf(const AuthoringForm& form, FormText field) {
    switch (field) {
    case FormText::windowTitle: return form.windowTitle;
    case FormText::workTitle: return form.workTitle;
    case FormText::comment: return form.comment;
    case FormText::linkTarget: return form.linkTarget;
    case FormText::linkParameters: return form.linkParameters;
    }
    return form.windowTitle;
}

std::string textProblem(FormText field, const std::string& utf8) {
    StoredText stored;
    std::string problem;
    if (storeAuthorText(utf8, shapeOf(field), {optionOf(field), ""}, stored, problem)) return {};
    return problem;
}

std::string secondsProblem(const std::string& text) {
    int32_t seconds = 0;
    return parseSeconds(text, seconds) ? std::string() : secondsMessage(text);
}

int32_t secondsOf(const std::string& text) {
    int32_t seconds = 0;
    return parseSeconds(text, seconds) ? seconds : 0;
}

std::string fitProblem(const AuthoringForm& form) {
    PictureSize box;
    if (form.fitKind != FitKind::custom || parseFitBox(form.customFit, box)) return {};
    return fitBoxMessage(form.customFit);
}

FitChoice fitChoiceOf(const AuthoringForm& form) {
    FitChoice fit;
    if (form.fitKind == FitKind::original) return fit;
    for (const auto& option : fitOptions) {
        if (option.kind != form.fitKind) continue;
        if (!parseFitBox(form.fitKind == FitKind::custom ? form.customFit : option.fitValue, fit.box)) return FitChoice();
    }
    fit.upright = true;  // as --fit does unless --keep-orientation
    return fit;
}

std::string enclosedProblem(const FileSystem& files, const std::vector<std::string>& paths) {
    if (paths.size() > maxEnclosedFiles)
        return "--enclose is given " + std::to_string(paths.size()) + " times; at most " +
               std::to_string(maxEnclosedFiles) + " files can be enclosed";
    std::set<std::string> keys;
    for (const auto& path : paths) {
        StoredText stored;
        std::string problem;
        if (!storeEnclosedName(path, files.fileName(path), keys, stored, problem)) return problem;
    }
    return {};
}

std::vector<std::string> formProblems(const FileSystem& files, const AuthoringForm& form) {
    std::vector<std::string> problems;
    if (form.picturePath.empty()) problems.push_back("no picture given");
    for (FormText field : {FormText::windowTitle, FormText::workTitle, FormText::comment, FormText::linkTarget,
                           FormText::linkParameters}) {
        if (std::string problem = textProblem(field, textOf(form, field)); !problem.empty()) problems.push_back(problem);
    }
    if (std::string problem = secondsProblem(form.autoExitSeconds); !problem.empty()) problems.push_back(problem);
    if (std::string problem = fitProblem(form); !problem.empty()) problems.push_back(problem);
    if (form.linkTarget.empty() && !form.linkParameters.empty()) problems.push_back("--link-params and --link-when need --link");
    if (std::string problem = enclosedProblem(files, form.enclosedPaths); !problem.empty()) problems.push_back(problem);
    return problems;
}

MakeRecipe recipeFromForm(const AuthoringForm& form, const std::string& outputPath) {
    MakeRecipe recipe;
    PackageContent& content = recipe.content;
    content.windowTitle = form.windowTitle;
    content.workTitle = form.workTitle;
    content.commentText = form.comment;
    content.autoExitSeconds = secondsOf(form.autoExitSeconds);
    content.zOrderMode = form.zOrderMode;
    content.startPosition = form.startPosition;
    content.captionMode = form.captionMode;
    content.autoCommentFlag = form.autoCommentFlag;
    if (!form.linkTarget.empty()) content.link = PackageLink{form.linkTiming, form.linkTarget, form.linkParameters};
    recipe.picturePath = form.picturePath;
    recipe.outputPath = outputPath;
    recipe.enclosedPaths = form.enclosedPaths;
    recipe.fit = fitChoiceOf(form);
    return recipe;
}

std::string stemOf(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string titleForPicture(const std::string& pictureName, std::vector<std::string>& notes) {
    const std::string stem = stemOf(pictureName);
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

std::string defaultProgramPath(const FileSystem& files, const std::string& picturePath) {
    const std::string name = files.fileName(picturePath);
    return picturePath.substr(0, picturePath.size() - name.size()) + stemOf(name) + ".exe";
}

}  // namespace vistello::tools
