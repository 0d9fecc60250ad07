#pragma once
// Making a picture program from a recipe: what make does once its arguments are read, and what
// every other way of making one (dropping a picture on the Windows tool, the authoring window)
// calls, so that they all write the same bytes. Nothing here prints; the caller shows the
// outcome's warnings and notes as it shows things.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/package_writer.h"
#include "check/picture_check.h"
#include "commands/tool.h"

namespace vistello::tools {

struct MakeRecipe {
    // The package's settings as stored codes (a code that no option names passes through as
    // it is) and its texts in UTF-8, which makeProgram stores in code page 932. The picture and
    // the enclosed files come from the paths below; content.picture and content.enclosedFiles
    // are not read.
    PackageContent content;
    std::optional<std::string> commentFilePath;  // the comment is read from this UTF-8 file instead
    std::string picturePath;
    std::optional<std::string> stubPath;  // none: the tool's own stub (see stub_choice.h)
    std::string outputPath;
    std::vector<std::string> enclosedPaths;  // each stored under its own name
    bool force = false;           // pack a picture the program would not show whole
    bool noClobber = false;       // refuse to replace an existing output
};

struct MakeOutcome {
    // The picture check's verdict on the picture. shownWhole false after a successful make
    // means it was packed under force: refusal and shows say what the program will show.
    PictureReport picture;
    bool checked = false;               // the check ran and the picture is packed
    std::vector<std::string> warnings;  // where the program shows the picture otherwise than a viewer
    std::vector<std::string> notes;     // the characters stored as another code point, by option
    // What was written.
    uint64_t stubBytes = 0;
    uint64_t packageBytes = 0;
    uint64_t pictureBytes = 0;
    size_t enclosedFiles = 0;
    // Why the picture program will not start where it was written (a path the program cannot
    // take), or empty.
    std::string outputPathProblem;
    std::string problem;  // why makeProgram failed
};

// Reads the inputs, checks the picture, and writes the program to the recipe's output (a
// temporary file renamed over it when complete). False, with outcome.problem, when an input
// cannot be read or used, a text or name cannot be stored, the picture is refused, or the
// output may not be written; the output is then as it was. The warnings and notes are filled
// once the picture passed its check, even when the write fails after it.
[[nodiscard]] bool makeProgram(ToolContext& tool, const MakeRecipe& recipe, MakeOutcome& outcome);

}  // namespace vistello::tools
