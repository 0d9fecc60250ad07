#pragma once
// The authoring window's fields as a model of their own, without a window: texts as the author
// types them (UTF-8), the settings as stored codes, the picture and the enclosed files as paths.
// Each field is checked as make checks its option, with make's message, and the whole form
// becomes the MakeRecipe that makeProgram writes, so the window and the command line make the
// same program from the same settings.
#include <cstdint>
#include <string>
#include <vector>

#include "app/package_codes.h"
#include "commands/make_program.h"
#include "platform/files.h"

namespace vistello::tools {

enum class FormText : uint8_t { windowTitle, workTitle, comment, linkTarget, linkParameters };

// What is done to the picture before it is packed, as make --fit does: nothing, or scaled down
// into a box (never up) and turned upright by its Exif orientation.
enum class FitKind : uint8_t { original, screen, box1280x960, box1024x768, custom };
struct FitOption {
    FitKind kind;
    const char* label;  // UTF-8
    const char* fitValue;  // what --fit is given for it; custom: the form's own text
};
inline constexpr FitOption fitOptions[] = {
    {FitKind::original, "元のサイズのまま", ""},
    {FitKind::screen, "画面に合わせる (1600 x 900 以内)", "screen"},
    {FitKind::box1280x960, "1280 x 960 以内", "1280x960"},
    {FitKind::box1024x768, "1024 x 768 以内", "1024x768"},
    {FitKind::custom, "指定 (幅x高さ):", ""},
};

struct AuthoringForm {
    std::string picturePath;
    std::string windowTitle;
    std::string workTitle;
    std::string comment;  // line breaks as the edit control gives them (CR LF); stored as CR LF
    std::string autoExitSeconds = "0";
    int32_t zOrderMode = storedCode(ZOrderMode::normal);
    int32_t startPosition = storedCode(StartPosition::centre);
    int32_t captionMode = captionModeTitleBar;
    int32_t autoCommentFlag = autoCommentOff;
    // The link is stored when its target is not empty.
    std::string linkTarget;
    std::string linkParameters;
    int32_t linkTiming = storedCode(LinkTiming::atStart);
    std::vector<std::string> enclosedPaths;
    FitKind fitKind = FitKind::original;
    std::string customFit;  // "WxH", for FitKind::custom
};

// The option of make that takes the same text, for the messages ("--title").
const char* optionOf(FormText field);
const std::string& textOf(const AuthoringForm& form, FormText field);

// Empty when the text can be stored; else make's message for the same text given to its option
// ("--title: column 5: '☕' (U+2615) cannot be stored in code page 932, ...").
std::string textProblem(FormText field, const std::string& utf8);
// Empty for a whole number of seconds from 0 to 2147483647.
std::string secondsProblem(const std::string& text);
// Empty when the fit can be made; else make's message for the same --fit value.
std::string fitProblem(const AuthoringForm& form);
// The fit make is given for the form (no box and not upright for the original size).
FitChoice fitChoiceOf(const AuthoringForm& form);

// Empty when every enclosed file can be stored under its own name (files gives the names).
std::string enclosedProblem(const FileSystem& files, const std::vector<std::string>& paths);

// Every problem of the form, one per field that has one, in the window's order; empty when the
// form can be made (the picture itself is judged by the picture check when it is read).
std::vector<std::string> formProblems(const FileSystem& files, const AuthoringForm& form);

// The seconds as a number (0 when the text is no number; check with secondsProblem first).
int32_t secondsOf(const std::string& text);

// The recipe make would be given for these settings, writing outputPath. Texts stay UTF-8:
// makeProgram stores them.
MakeRecipe recipeFromForm(const AuthoringForm& form, const std::string& outputPath);

// The window title a picture gives by default: its file name without the extension, each
// character code page 932 cannot hold shown as "?" (and said in notes), as drop mode names it.
std::string stemOf(const std::string& name);
std::string titleForPicture(const std::string& pictureName, std::vector<std::string>& notes);

// Where Make... proposes to write: NAME.exe beside the picture.
std::string defaultProgramPath(const FileSystem& files, const std::string& picturePath);

}  // namespace vistello::tools
